#include "cli/Manifest.h"

#include "cli/JsonReport.h"
#include "engine/support/FileNames.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype FlushSize = 64 * 1024;

QByteArray numberOrNull(qint64 value)
{
    return value < 0 ? QByteArray("null") : QByteArray::number(value);
}

} // namespace

QString dateWarning(DateSource source)
{
    switch (source) {
    case DateSource::EnvelopeLine:
        return QStringLiteral("no date in its header fields: the date of its \"From \" envelope line was taken");
    case DateSource::FileTime:
        return QStringLiteral("no date in it: the file's modification time was taken");
    case DateSource::None:
        return QStringLiteral("no date in it nor for its file: 1970-01-01 was taken");
    case DateSource::Separator:
    case DateSource::DateField:
    case DateSource::Received:
        break;
    }
    return {};
}

Manifest::~Manifest()
{
    if (!temporary_.isEmpty() && fd_.get() >= 0)
        ::unlink(temporary_.constData());
}

QString Manifest::open(const QString &path)
{
    place_ = nativeName(path);
    struct stat status {};
    const bool exists = ::stat(place_.constData(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        // A pipe or a terminal: nothing to replace.
        fd_ = FileDescriptor(::open(place_.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
        return fd_.get() < 0 ? systemReason(errno) : QString();
    }
    // A link is followed, so the file it names gets the manifest, not the link.
    if (exists) {
        if (char *real = ::realpath(place_.constData(), nullptr)) {
            place_ = real;
            std::free(real);
        }
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_ = exists ? status.st_mode & 07777 : 0666 & ~mask;
    const qsizetype slash = place_.lastIndexOf('/');
    QByteArray temporary = place_.left(slash + 1) + '.' + place_.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return systemReason(errno);
    fd_ = FileDescriptor(fd);
    temporary_ = temporary;
    return {};
}

void Manifest::line(const QString &source, const char *status, const QString *file, qint64 offset, qint64 length,
                    const MessageFacts *facts, const QString *reason, const QStringList &warnings)
{
    if (!isOpen())
        return;
    QByteArray &out = pending_;
    out += "{\"path\": " + jsonString(source) + ", \"status\": \"" + status + "\", \"file\": ";
    out += file ? jsonString(*file) : QByteArray("null");
    out += ", \"offset\": " + numberOrNull(offset) + ", \"length\": " + numberOrNull(length);
    out += ", \"hash\": ";
    out += facts && !facts->contentHash.isEmpty() ? '"' + facts->contentHash + '"' : QByteArray("null");
    out += ", \"date\": ";
    out += facts ? '"' + facts->date.toUTC().toString(Qt::ISODate).toLatin1() + '"' : QByteArray("null");
    out += ", \"reason\": ";
    out += reason ? jsonString(*reason) : QByteArray("null");
    out += ", \"warnings\": [";
    QStringList all = warnings;
    if (facts)
        if (const QString date = dateWarning(facts->dateSource); !date.isEmpty())
            all.append(date);
    for (qsizetype k = 0; k < all.size(); ++k)
        out += (k ? ", " : "") + jsonString(all[k]);
    out += "]}\n";
    if (pending_.size() >= FlushSize || temporary_.isEmpty())
        flush();
}

void Manifest::written(const QString &source, const QString &file, qint64 offset, const MessageFacts &facts,
                       const QStringList &warnings)
{
    line(source, "written", &file, offset, facts.recordLength, &facts, nullptr, warnings);
}

void Manifest::skipped(const QString &source, const QString &file, qint64 offset, const MessageFacts *facts,
                       const QStringList &warnings)
{
    line(source, "skipped", &file, offset, -1, facts, nullptr, warnings);
}

void Manifest::failed(const QString &source, const QString &reason, const MessageFacts *facts,
                      const QStringList &warnings)
{
    line(source, "failed", nullptr, -1, -1, facts, &reason, warnings);
}

void Manifest::flush()
{
    if (error_ == 0 && !pending_.isEmpty())
        error_ = writeFully(fd_.get(), pending_);
    pending_.clear();
}

QString Manifest::finish()
{
    if (!isOpen())
        return {};
    flush();
    int error = error_;
    if (!temporary_.isEmpty()) {
        if (error == 0 && ::fchmod(fd_.get(), mode_) != 0)
            error = errno;
        if (error == 0 && ::fsync(fd_.get()) != 0)
            error = errno;
        if (error == 0 && ::rename(temporary_.constData(), place_.constData()) != 0)
            error = errno;
        if (error != 0)
            ::unlink(temporary_.constData());
        temporary_.clear();
    }
    fd_.reset();
    return error ? systemReason(error) : QString();
}
