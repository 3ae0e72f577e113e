#include "engine/verify/PieceReader.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/Yielder.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

QString readInPieces(const QString &path, const std::function<void(QByteArrayView piece, qint64 offset)> &each,
                     Yielder &yielder, qint64 from, qint64 length)
{
    if (holdsNul(path))
        return QStringLiteral("the name holds a NUL byte, which no file name can");
    // O_NONBLOCK: a FIFO named like a message must not wait for a writer.
    const FileDescriptor fd(::open(nativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return QStringLiteral("cannot open it: ") + systemReason(errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return QStringLiteral("cannot open it: ") + systemReason(errno);
    if (!S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? QStringLiteral("is a folder, not a file") : QStringLiteral("is not a regular file");
    ::posix_fadvise(fd.get(), from, length < 0 ? 0 : length, POSIX_FADV_SEQUENTIAL);
    const qint64 end = length < 0 ? std::numeric_limits<qint64>::max() : from + length;
    // Kept from one file to the next, and no larger than the file: a small
    // message does not fault in pages it never uses.
    thread_local QByteArray piece;
    const qint64 wanted = qBound(qint64(4096), qMin(qint64(info.st_size), end - from) + 1, PieceReading::PieceSize);
    if (piece.size() < wanted)
        piece.resize(wanted);
    qint64 offset = from;
    while (offset < end) {
        const ssize_t got = ::pread(fd.get(), piece.data(), size_t(qMin<qint64>(piece.size(), end - offset)), off_t(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return QStringLiteral("cannot read it: ") + systemReason(errno);
        }
        if (got == 0)
            return length < 0 ? QString() : QStringLiteral("it ends before the message does: it changed since it was listed");
        each(QByteArrayView(piece.constData(), got), offset);
        offset += got;
        yielder.yield();
    }
    return {};
}
