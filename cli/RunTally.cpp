#include "cli/RunTally.h"

#include <algorithm>

void RunTally::noteWritten(const QString &file, qint64 recordBytes)
{
    ++written;
    bytes += recordBytes;
    auto found = mboxIndex_.constFind(file);
    if (found == mboxIndex_.cend())
        found = mboxIndex_.insert(file, mboxes_.size()), mboxes_.append({file});
    Mbox &mbox = mboxes_[*found];
    ++mbox.records;
    mbox.bytes += recordBytes;
}

int RunTally::failedMessages() const
{
    return int(std::count_if(failures_.cbegin(), failures_.cend(),
                             [](const Failure &failure) { return failure.kind == FailureKind::Message; }));
}

void RunTally::countIn(const QString &folder, Outcome outcome, qint64 bytes)
{
    auto found = folderIndex_.constFind(folder);
    if (found == folderIndex_.cend())
        found = folderIndex_.insert(folder, folders_.size()), folders_.append({folder});
    Folder &counts = folders_[*found];
    switch (outcome) {
    case Outcome::Written:
        ++counts.written;
        counts.bytes += bytes;
        break;
    case Outcome::Skipped:
        ++counts.skipped;
        break;
    case Outcome::Failed:
        ++counts.failed;
        break;
    }
}
