#include "convert/MboxFile.h"

#include "modules/FileDescriptor.h"
#include "modules/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A large record goes out in pieces with the window's turn between them: one
// write of several megabytes can hold the window for tens of milliseconds.
constexpr size_t WriteChunk = 1024 * 1024;

// Returns the errno of the failure, 0 when everything was written.
int WriteAll(const FileIo &io, int fd, const QByteArray &data, const std::function<void()> &betweenChunks)
{
    const char *p = data.constData();
    size_t left = size_t(data.size());
    while (left > 0) {
        if (p != data.constData() && betweenChunks)
            betweenChunks();
        const ssize_t done = io.write(fd, p, std::min(left, WriteChunk));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (done == 0)
            return ENOSPC;
        p += done;
        left -= size_t(done);
    }
    return 0;
}

// Starts the write-back of every whole WriteBackSpan that this append
// completed, so the flush at the end of a run is short. In spans rather than
// per record: one call per small record would cost more than it saves.
void StartWriteBack(int fd, off_t lengthBefore, off_t lengthAfter)
{
    constexpr off_t WriteBackSpan = 4 * 1024 * 1024;
    const off_t from = lengthBefore / WriteBackSpan * WriteBackSpan;
    const off_t to = lengthAfter / WriteBackSpan * WriteBackSpan;
    if (to > from)
        ::sync_file_range(fd, from, to - from, SYNC_FILE_RANGE_WRITE);  // advice only: its failure changes nothing
}

} // namespace

FileIo FileIo::System()
{
    return {&::write, &::ftruncate};
}

AppendOutcome AppendRecord(const QString &mboxPath, const QByteArray &record, const FileIo &io,
                           const std::function<void()> &betweenChunks)
{
    const QByteArray native = NativeName(mboxPath);
    // O_NONBLOCK: a FIFO in the mbox's place must not stall the run.
    FileDescriptor fd(::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
    if (fd.get() < 0)
        return {false, QStringLiteral("cannot open the mbox file: ") + SystemReason(errno)};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return {false, QStringLiteral("cannot open the mbox file: ") + SystemReason(errno)};
    if (!S_ISREG(info.st_mode))
        return {false, QStringLiteral("the mbox file is not a regular file")};
    const off_t lengthBefore = info.st_size;

    int error = 0;
    try {
        error = WriteAll(io, fd.get(), record, betweenChunks);
    } catch (...) {
        // Stopped between two pieces: the part already written goes again.
        io.truncate(fd.get(), lengthBefore);
        throw;
    }
    if (error) {
        QString reason = QStringLiteral("cannot write the mbox file: ") + SystemReason(error);
        if (io.truncate(fd.get(), lengthBefore) != 0)
            reason += QStringLiteral("; its end could not be cut back: ") + SystemReason(errno);
        return {false, reason};
    }
    StartWriteBack(fd.get(), lengthBefore, lengthBefore + off_t(record.size()));
    return {true, {}};
}

QString FlushToDisk(const QString &mboxPath)
{
    FileDescriptor fd(::open(NativeName(mboxPath).constData(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return QStringLiteral("cannot open the mbox file to flush it: ") + SystemReason(errno);
    if (::fdatasync(fd.get()) != 0)
        return QStringLiteral("cannot flush the mbox file to disk: ") + SystemReason(errno);
    return {};
}
