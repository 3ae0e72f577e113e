#include "engine/mbox/AppendMarker.h"

#include "engine/support/CreatePath.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/ReportFolder.h"

#include <QCryptographicHash>
#include <QList>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

// "quorvel-append 2" and seven fixed-width numbers on one line, then HeadKept
// bytes of which the first headLength count. Every marker has the same size,
// so each update overwrites the last one whole and none is left half old.
constexpr QByteArrayView Tag = "quorvel-append 2";
constexpr int NumberWidth = 20;
constexpr qsizetype FieldCount = 7;
constexpr qsizetype LineLength = Tag.size() + FieldCount * (1 + NumberWidth) + 1;
constexpr qsizetype MarkerSize = LineLength + AppendMarker::HeadKept;

QByteArray field(quint64 value)
{
    return ' ' + QByteArray::number(value).rightJustified(NumberWidth, '0');
}

QString parse(const QByteArray &text, AppendMarker::State &state)
{
    const QString torn = QStringLiteral("it is not one this program wrote whole");
    if (text.size() != MarkerSize || !text.startsWith(Tag) || text[LineLength - 1] != '\n')
        return torn;
    const QList<QByteArray> fields = text.mid(Tag.size() + 1, LineLength - Tag.size() - 2).split(' ');
    if (fields.size() != FieldCount)
        return torn;
    quint64 values[FieldCount];
    for (qsizetype k = 0; k < FieldCount; ++k) {
        bool ok = false;
        values[k] = fields[k].toULongLong(&ok);
        if (!ok)
            return torn;
    }
    state = {qint64(values[0]), qint64(values[1]), values[2], qint64(values[3]), values[4], values[5] == 1, {}};
    const qint64 headLength = qint64(values[6]);
    if (state.start < 0 || state.done < 0 || state.end < state.done || values[5] > 1 || headLength > AppendMarker::HeadKept
        || headLength > state.end - state.done)
        return torn;
    state.head = text.mid(LineLength, headLength);
    return {};
}

} // namespace

AppendMarker::AppendMarker(const QString &mboxPath)
{
    const QByteArray mbox = nativeName(mboxPath);
    const qsizetype slash = mbox.lastIndexOf('/');
    QByteArray name = '.' + mbox.mid(slash + 1) + ".append";
    // A legal mbox name may leave no room for the dot and ".append".
    if (name.size() > NAME_MAX)
        name = ".quorvel-" + QCryptographicHash::hash(mbox.mid(slash + 1), QCryptographicHash::Sha256).toHex() + ".append";
    beside_ = mbox.left(slash + 1) + name;
}

AppendMarker::~AppendMarker()
{
    close();
}

QString AppendMarker::path() const
{
    return nameFromNative(inUse_.isEmpty() ? beside_ : inUse_);
}

void AppendMarker::close()
{
    fd_.reset();
}

QByteArray AppendMarker::stateName(const struct stat &mbox) const
{
    return nativeName(reportFolder()) + "/appends/" + QByteArray::number(quint64(mbox.st_dev)) + '-'
           + QByteArray::number(quint64(mbox.st_ino)) + ".append";
}

bool AppendMarker::open(const QByteArray &name, bool create, QString &unusable)
{
    // Never through a link: a link planted here must not lead a cut elsewhere.
    FileDescriptor fd(::open(name.constData(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0), 0600));
    if (!fd.valid()) {
        openError_ = errno;
        if (errno == ELOOP)
            unusable = QStringLiteral("it is a symbolic link");
        else if (errno != ENOENT)
            unusable = systemReason(errno);
        return false;
    }
    struct stat info {};
    openError_ = 0;
    if (::fstat(fd.get(), &info) != 0)
        unusable = systemReason(openError_ = errno);
    else if (!S_ISREG(info.st_mode))
        unusable = QStringLiteral("it is not a regular file");
    else if (info.st_uid != ::geteuid())
        unusable = QStringLiteral("it belongs to another user");
    if (!unusable.isEmpty())
        return false;
    fd_ = std::move(fd);
    inUse_ = name;
    return true;
}

AppendMarker::Found AppendMarker::read(const struct stat &mbox)
{
    struct stat info {};
    // Another program may have removed it since: then it is looked for afresh.
    if (fd_.valid() && (::fstat(fd_.get(), &info) != 0 || info.st_nlink == 0))
        close();
    Found found;
    if (!fd_.valid()) {
        QString unusable, stateUnusable;
        if (!open(beside_, false, unusable) && !open(stateName(mbox), false, stateUnusable)) {
            if (unusable.isEmpty() && !stateUnusable.isEmpty())
                return {true, QStringLiteral("the side file %1 was ignored: %2").arg(nameFromNative(stateName(mbox)), stateUnusable), {}};
            if (!unusable.isEmpty())
                return {true, QStringLiteral("the side file %1 was ignored: %2").arg(nameFromNative(beside_), unusable), {}};
            return found;
        }
        if (::fstat(fd_.get(), &info) != 0)
            return {true, QStringLiteral("the side file %1 was ignored: %2").arg(path(), systemReason(errno)), {}};
    }
    if (info.st_size == 0)
        return found;
    found.present = true;
    QByteArray text(qMin<qint64>(info.st_size, MarkerSize + 1), Qt::Uninitialized);
    const ssize_t got = ::pread(fd_.get(), text.data(), size_t(text.size()), 0);
    const QString why = got != text.size() ? systemReason(got < 0 ? errno : EIO) : parse(text, found.state);
    if (!why.isEmpty())
        found.unusable = QStringLiteral("the side file %1 was ignored: %2").arg(path(), why);
    return found;
}

QString AppendMarker::write(const State &state, const struct stat &mbox)
{
    QByteArray text = Tag.toByteArray() + field(quint64(state.start)) + field(quint64(state.done)) + field(state.doneHash)
                      + field(quint64(state.end)) + field(state.endHash) + field(state.last ? 1 : 0);
    const QByteArrayView head = QByteArrayView(state.head).first(qMin(state.head.size(), HeadKept));
    text += field(quint64(head.size())) + '\n' + head.toByteArray();
    text.append(MarkerSize - text.size(), '\0');

    writeError_ = 0;
    struct stat info {};
    // Removed by another program since: made afresh. Looked at once a record:
    // a marker lost in the middle of one costs a cut, never a wrong one.
    if (fd_.valid() && state.done == 0 && (::fstat(fd_.get(), &info) != 0 || info.st_nlink == 0))
        close();
    if (!fd_.valid()) {
        QString besideFailure;
        if (!open(beside_, true, besideFailure)) {
            // A spool folder the user may not create in, or something else in the way.
            const QByteArray other = stateName(mbox);
            QString stateFailure;
            int madeError = 0;
            const QString made = createPath(nameFromNative(other.left(other.lastIndexOf('/'))), 0700, &madeError);
            if (!made.isEmpty() || !open(other, true, stateFailure)) {
                writeError_ = made.isEmpty() ? openError_ : madeError;
                return QStringLiteral("%1 (%2), nor %3 (%4)")
                    .arg(nameFromNative(beside_), besideFailure, nameFromNative(other), made.isEmpty() ? stateFailure : made);
            }
        }
    }
    const ssize_t written = ::pwrite(fd_.get(), text.constData(), size_t(text.size()), 0);
    if (written != text.size()) {
        writeError_ = written < 0 ? errno : ENOSPC;
        return systemReason(writeError_);
    }
    return {};
}

void AppendMarker::clear()
{
    // A marker left full would be judged again against whatever comes next.
    if (fd_.valid() && ::ftruncate(fd_.get(), 0) != 0)
        ::unlink(inUse_.constData());
}

void AppendMarker::removeIfEmpty()
{
    struct stat info {};
    if (fd_.valid() && ::fstat(fd_.get(), &info) == 0 && info.st_size == 0 && info.st_nlink > 0)
        ::unlink(inUse_.constData());
    close();
}
