#pragma once

#include "engine/support/Yielder.h"
#include "engine/verify/MboxSplitCheck.h"

#include <atomic>
#include <future>

// checkMboxSplit for each mbox source, one after another, on a thread of its
// own: begun as the run begins, it reads each file while the listing's split
// has left it in the cache, and costs the run no time on a second processor.
class MboxSplitChecks {
public:
    explicit MboxSplitChecks(QList<MboxSplit> splits);
    ~MboxSplitChecks();
    MboxSplitChecks(const MboxSplitChecks &) = delete;
    MboxSplitChecks &operator=(const MboxSplitChecks &) = delete;

    // Every warning, file by file in the order given, once all are read;
    // yielder is called while it waits.
    QList<MboxSplitWarning> finish(Yielder &yielder);

private:
    std::atomic<bool> stop_ = false;
    StopFlagYielder stopYielder_;
    std::future<QList<MboxSplitWarning>> future_;
};
