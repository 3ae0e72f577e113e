#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <sys/types.h>

// The system calls an append goes through, so a test can make them fail.
struct FileIo {
    ssize_t (*write)(int fd, const void *data, size_t size);
    int (*truncate)(int fd, off_t length);
    static FileIo System();
};

struct AppendOutcome {
    bool written = false;
    QString reason;  // why not, when not written
};

// Appends one whole record to the mbox file, creating it when missing (mode
// 0666 less the umask). On a failed or short write the file is cut back to
// its length before the append, so it never holds a torn record; if even that
// fails the reason says so. Only regular files are written to. A large record
// is written in pieces with betweenChunks run between them; if it throws, the
// file is cut back before the exception goes on.
AppendOutcome AppendRecord(const QString &mboxPath, const QByteArray &record, const FileIo &io = FileIo::System(),
                           const std::function<void()> &betweenChunks = {});

// Waits until the file's data is on the disk. Empty text on success, else why not.
QString FlushToDisk(const QString &mboxPath);
