#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

// One message file read whole (or up to a limit) in binary. Only regular files
// are read: a FIFO or a device named like a message is refused without ever
// blocking on it.
struct SourceFile {
    QByteArray bytes;
    qint64 size = 0;       // the size the file system gave when the file was opened
    QDateTime modified;    // UTC; invalid when not even that could be learnt
    QString failure;       // empty when the file was read
    bool ok() const { return failure.isEmpty(); }
};

struct ReadRules {
    qint64 readAtMost = -1;   // the first bytes only; < 0 reads to the end
    // Runs between reads of a large file (a yield point; it may throw to
    // abandon the read).
    std::function<void()> betweenChunks;
};

SourceFile ReadSourceFile(const QString &path, const ReadRules &rules = {});
