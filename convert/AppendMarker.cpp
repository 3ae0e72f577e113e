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

AppendMarker::Found Parse(const QByteArray &text)
{
    AppendMarker::Found found;
    found.present = true;
    const qsizetype lineEnd = text.indexOf('\n');
    if (!text.startsWith(Tag) || lineEnd < 0)
        return found;
    const QList<QByteArray> numbers = text.mid(Tag.size(), lineEnd - Tag.size()).split(' ');
    if (numbers.size() != 2)
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

} // namespace

AppendMarker::AppendMarker(const QString &mboxPath)
{
    const QByteArray mbox = NativeName(mboxPath);
    const qsizetype slash = mbox.lastIndexOf('/');
    native_ = mbox.left(slash + 1) + '.' + mbox.mid(slash + 1) + ".append";
}

AppendMarker::~AppendMarker()
{
    Close();
}

void AppendMarker::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

AppendMarker::Found AppendMarker::Read()
{
    struct stat info {};
    // Another program may have removed it since: then it is looked for afresh.
    if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || info.st_nlink == 0))
        Close();
    if (fd_ < 0) {
        fd_ = ::open(native_.constData(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd_ < 0)
            return {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            Close();
            return {true, false, 0, {}};
        }
    }
    if (info.st_size == 0)
        return {};
    if (info.st_size > 4 * RecordStartKept)
        return {true, false, 0, {}};
    QByteArray text(info.st_size, Qt::Uninitialized);
    if (::pread(fd_, text.data(), size_t(text.size()), 0) != text.size())
        return {true, false, 0, {}};
    return Parse(text);
}

QString AppendMarker::Write(qint64 length, QByteArrayView recordStart)
{
    recordStart = recordStart.first(qMin(recordStart.size(), RecordStartKept));
    const QByteArray text = Tag.toByteArray() + QByteArray::number(length) + ' '
                            + QByteArray::number(recordStart.size()) + '\n' + recordStart.toByteArray();
    struct stat info {};
    if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || info.st_nlink == 0))
        Close();  // removed by another program since: made afresh
    if (fd_ < 0) {
        fd_ = ::open(native_.constData(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0 || ::fstat(fd_, &info) != 0)
            return SystemReason(errno);
    }
    // Whatever it held (a marker torn, or one another program left) goes first.
    if (info.st_size > 0 && ::ftruncate(fd_, 0) != 0)
        return SystemReason(errno);
    const ssize_t written = ::pwrite(fd_, text.constData(), size_t(text.size()), 0);
    if (written != text.size())
        return SystemReason(written < 0 ? errno : ENOSPC);
    return {};
}

void AppendMarker::Clear()
{
    // A marker left full would have the next append cut off a whole record.
    if (fd_ >= 0 && ::ftruncate(fd_, 0) != 0)
        ::unlink(native_.constData());
}

void AppendMarker::RemoveIfEmpty()
{
    struct stat info {};
    if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && info.st_size == 0 && info.st_nlink > 0)
        ::unlink(native_.constData());
    Close();
}
