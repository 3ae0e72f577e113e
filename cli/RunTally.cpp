#include "cli/RunTally.h"

#include <algorithm>

void RunTally::noteWritten(const QString &mboxFile, qint64 recordBytes)
{
    ++written;
    bytes += recordBytes;
    // A Maildir message is FOLDER/cur/NAME or FOLDER/new/NAME.
    const QString file = maildir ? mboxFile.left(mboxFile.lastIndexOf(QLatin1Char('/'), mboxFile.lastIndexOf(QLatin1Char('/')) - 1) + 1)
                                 : mboxFile;
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
