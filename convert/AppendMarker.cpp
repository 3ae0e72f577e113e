#include "convert/AppendMarker.h"

#include "modules/FileDescriptor.h"
#include "modules/FileNames.h"

#include <QList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "quorvel-append <length> <start bytes>\n" and the start bytes. A marker
// torn by a crash has fewer bytes than its first line announces.
constexpr QByteArrayView Tag = "quorvel-append ";

} // namespace

AppendMarker::AppendMarker(const QString &mboxPath)
{
    const QByteArray mbox = NativeName(mboxPath);
    const qsizetype slash = mbox.lastIndexOf('/');
    native_ = mbox.left(slash + 1) + '.' + mbox.mid(slash + 1) + ".append";
}

AppendMarker::Found AppendMarker::Read() const
{
    Found found;
    FileDescriptor fd(::open(native_.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0)
        return found;
    found.present = true;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > 4 * RecordStartKept)
        return found;
    QByteArray text(info.st_size, Qt::Uninitialized);
    if (::read(fd.get(), text.data(), size_t(text.size())) != text.size() || !text.startsWith(Tag))
        return found;
    const qsizetype lineEnd = text.indexOf('\n');
    const QList<QByteArray> numbers = text.mid(Tag.size(), lineEnd - Tag.size()).split(' ');
    if (lineEnd < 0 || numbers.size() != 2)
        return found;
    bool lengthOk = false, startOk = false;
    const qint64 length = numbers[0].toLongLong(&lengthOk);
    const qint64 startLength = numbers[1].toLongLong(&startOk);
    if (!lengthOk || !startOk || length < 0 || startLength <= 0 || text.size() - lineEnd - 1 != startLength)
        return found;
    found.readable = true;
    found.length = length;
    found.recordStart = text.mid(lineEnd + 1);
    return found;
}

QString AppendMarker::Write(qint64 length, QByteArrayView recordStart) const
{
    recordStart = recordStart.first(qMin(recordStart.size(), RecordStartKept));
    const QByteArray text = Tag.toByteArray() + QByteArray::number(length) + ' '
                            + QByteArray::number(recordStart.size()) + '\n' + recordStart.toByteArray();
    FileDescriptor fd(::open(native_.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return SystemReason(errno);
    const ssize_t written = ::write(fd.get(), text.constData(), size_t(text.size()));
    if (written != text.size())
        return SystemReason(written < 0 ? errno : ENOSPC);
    return {};
}

void AppendMarker::Remove() const
{
    ::unlink(native_.constData());
}
