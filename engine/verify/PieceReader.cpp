#include "engine/verify/PieceReader.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/RegularFile.h"
#include "engine/support/Yielder.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

QString readInPieces(const QString &path, const std::function<void(QByteArrayView piece, qint64 offset)> &each,
                     Yielder &yielder, qint64 from, qint64 length)
{
    const RegularFile file = openRegularFile(path);
    if (!file.ok())
        return file.error != 0 ? QStringLiteral("cannot open it: ") + file.failure : file.failure;
    const FileDescriptor &fd = file.fd;
    const struct stat &info = file.info;
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
