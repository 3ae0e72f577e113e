#include "engine/verify/MboxSplitChecks.h"

#include <chrono>
#include <new>

MboxSplitChecks::MboxSplitChecks(QList<MboxSplit> splits) : stopYielder_(stop_)
{
    if (splits.isEmpty())
        return;
    future_ = std::async(std::launch::async, [this, splits = std::move(splits)] {
        QList<MboxSplitWarning> warnings;
        for (const MboxSplit &split : splits) {
            try {
                warnings += checkMboxSplit(split, stopYielder_);
            } catch (const std::bad_alloc &) {
                warnings.append({split.path, MboxSplitWarning::Kind::Unreadable, 0, -1, QStringLiteral("not enough memory")});
            }
        }
        return warnings;
    });
}

MboxSplitChecks::~MboxSplitChecks()
{
    stop_ = true;
    if (future_.valid())
        future_.wait();
}

QList<MboxSplitWarning> MboxSplitChecks::finish(Yielder &yielder)
{
    if (!future_.valid())
        return {};
    while (future_.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        yielder.yield();
    return future_.get();
}
