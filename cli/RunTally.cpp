#include "cli/RunTally.h"

#include <algorithm>

void RunTally::noteWritten(const QString &mboxFile, qint64 recordBytes)
{
    ++written;
    bytes += recordBytes;
    auto found = mboxIndex_.constFind(mboxFile);
    if (found == mboxIndex_.cend())
        found = mboxIndex_.insert(mboxFile, mboxes_.size()), mboxes_.append({mboxFile});
    Mbox &mbox = mboxes_[*found];
    ++mbox.records;
    mbox.bytes += recordBytes;
}

int RunTally::failedMessages() const
{
    return int(std::count_if(failures_.cbegin(), failures_.cend(),
                             [](const Failure &failure) { return failure.kind == FailureKind::Message; }));
}
