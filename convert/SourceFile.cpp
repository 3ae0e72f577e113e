#include "convert/SourceFile.h"

#include "modules/FileDescriptor.h"
#include "modules/FileNames.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A cold disk can take long over one large read; the window gets its turn between chunks.
constexpr qint64 ReadChunk = 1024 * 1024;

QDateTime ModificationTime(const struct stat &info)
{
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec, Qt::UTC);
}

} // namespace

SourceFile ReadSourceFile(const QString &path, const ReadRules &rules)
{
    const qint64 limit = rules.readAtMost;
    SourceFile result;
    const QByteArray native = NativeName(path);
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    FileDescriptor fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        result.failure = QStringLiteral("cannot open the message: ") + SystemReason(errno);
        struct stat info {};
        if (::stat(native.constData(), &info) == 0)
            result.modified = ModificationTime(info);
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        result.failure = QStringLiteral("cannot open the message: ") + SystemReason(errno);
        return result;
    }
    result.modified = ModificationTime(info);
    if (!S_ISREG(info.st_mode)) {
        result.failure = S_ISDIR(info.st_mode) ? QStringLiteral("is a folder, not a message file")
                                               : QStringLiteral("is not a regular file");
        return result;
    }
    result.size = info.st_size;
    if (rules.refuseAbove >= 0 && info.st_size > rules.refuseAbove) {
        result.failure = QStringLiteral("is larger than %1 MiB, too large to convert").arg(rules.refuseAbove >> 20);
        return result;
    }

    const qint64 wanted = limit < 0 ? info.st_size : qMin<qint64>(limit, info.st_size);
    result.bytes.resize(wanted);
    qint64 filled = 0;
    char spill[64 * 1024];  // catches growth since fstat without doubling the buffer
    while (limit < 0 || filled < limit) {
        const bool inBuffer = filled < result.bytes.size();
        char *target = inBuffer ? result.bytes.data() + filled : spill;
        qint64 room = inBuffer ? result.bytes.size() - filled : qint64(sizeof spill);
        if (limit >= 0)
            room = qMin(room, limit - filled);
        room = qMin(room, ReadChunk);
        if (filled > 0 && rules.betweenChunks)
            rules.betweenChunks();
        const ssize_t got = ::read(fd.get(), target, size_t(room));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.failure = QStringLiteral("cannot read the message: ") + SystemReason(errno);
            result.bytes.clear();
            return result;
        }
        if (got == 0)
            break;
        if (!inBuffer) {
            result.bytes.resize(filled);
            result.bytes.append(spill, got);
        }
        filled += got;
    }
    result.bytes.resize(filled);
    return result;
}
