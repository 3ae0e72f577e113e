#pragma once

#include "engine/verify/SourceDigest.h"
#include "engine/verify/SourceText.h"

#include <QList>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class Yielder;

// Reads sources and works out their texts on a thread of its own, as they are
// named: a run names each message once it is written, and by the end of the
// run the sources are read, on the processor the run leaves free.
class SourceDigests {
public:
    SourceDigests();
    ~SourceDigests();
    SourceDigests(const SourceDigests &) = delete;
    SourceDigests &operator=(const SourceDigests &) = delete;

    void add(const SourceMessage &source);
    // The texts of all sources added, in that order, once all are read;
    // yielder is called while it waits.
    QList<SourceText> finish(Yielder &yielder);

private:
    void work();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<SourceMessage> waiting_;
    QList<SourceText> texts_;
    bool busy_ = false;
    std::atomic<bool> stopping_ = false;  // set under mutex_, read by the worker's yield points without it
    std::thread worker_;
};
