#include "engine/layout/TopFolderSources.h"

#include "engine/layout/ThunderbirdNaming.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"

#include <QByteArrayList>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView FirstLine = "quorvel-sources 1\n";
// Far more than any profile's folders need; a larger file is not ours.
constexpr qint64 LargestRecord = 16 * 1024 * 1024;

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool onDisk(const QString &path)
{
    struct stat info {};
    return ::lstat(nativeName(path).constData(), &info) == 0;
}

QString candidate(const QString &top, int number)
{
    return number == 1 ? top : thunderbirdFolderName(top + QLatin1Char(' ') + QString::number(number));
}

} // namespace

TopFolderSources::TopFolderSources(const QString &localFolders) : localFolders_(localFolders), recorded_(read()) {}

QString TopFolderSources::recordPath() const
{
    return joined(localFolders_, QStringLiteral(".quorvel-sources"));
}

QString TopFolderSources::sameSourceKey(const QString &path)
{
    if (char *real = ::realpath(nativeName(path).constData(), nullptr)) {
        const QString resolved = nameFromNative(real);
        std::free(real);
        return resolved;
    }
    // Gone since it was listed: its folder still tells a link from the real thing.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return path;
    const QString above = sameSourceKey(path.left(slash));
    return joined(above, path.mid(slash + 1));
}

TopFolderSources::Entries TopFolderSources::read() const
{
    const FileDescriptor fd(::open(nativeName(recordPath()).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > LargestRecord)
        return {};
    QByteArray text(qsizetype(info.st_size), Qt::Uninitialized);
    qint64 got = 0;
    if (readFullyAt(fd.get(), 0, text.data(), text.size(), got) != 0 || got != text.size() || !text.startsWith(FirstLine))
        return {};
    const QByteArrayList fields = text.mid(FirstLine.size()).split('\0');
    Entries entries;
    for (qsizetype k = 0; k + 1 < fields.size(); k += 2) {
        const QString folder = nameFromNative(fields[k]);
        const QString source = nameFromNative(fields[k + 1]);
        // Only a name this program could have given a top folder can ever match one.
        if (!folder.isEmpty() && !folder.contains(QLatin1Char('/')) && thunderbirdFolderName(folder) == folder
            && source.startsWith(QLatin1Char('/')))
            entries.append({folder, source});
    }
    return entries;
}

void TopFolderSources::add(const QString &namedPath, qsizetype nameStart)
{
    const qsizetype end = namedPath.indexOf(QLatin1Char('/'), nameStart);
    const qsizetype length = end < 0 ? -1 : end - nameStart;
    if (length == 0)
        return;  // no name: the run names that message's failure
    const QString name = namedPath.mid(nameStart, length);
    listed_[thunderbirdFolderName(name)].insert(namedPath.left(nameStart) + name);
}

QHash<QString, QString> TopFolderSources::choose()
{
    QHash<QString, QSet<QString>> byFolder;
    for (const auto &[folder, source] : std::as_const(recorded_))
        byFolder[folder].insert(source);
    QStringList tops = listed_.keys();
    tops.sort();
    QHash<QString, QString> names;
    QSet<QString> taken;
    chosen_.clear();
    for (const QString &top : std::as_const(tops)) {
        Choice choice;
        for (const QString &path : listed_.value(top))
            choice.sources.insert(sameSourceKey(path));
        // Past the first free name too: a folder of a later number may be this
        // source's, made while the lower one was there. A name neither on disk
        // nor recorded ends the line.
        for (int number = 1;; ++number) {
            const QString name = candidate(top, number);
            if (taken.contains(name))
                continue;
            const QSet<QString> earlier = byFolder.value(name);
            if (earlier.intersects(choice.sources)) {
                choice.folder = name;
                choice.continued = true;
                break;
            }
            const QString path = joined(localFolders_, name);
            const bool free = !onDisk(path) && !onDisk(path + QStringLiteral(".sbd"));
            if (free && choice.folder.isEmpty())
                choice.folder = name;
            if (free && earlier.isEmpty())
                break;
        }
        taken.insert(choice.folder);
        names.insert(top, choice.folder);
        chosen_.append(choice);
    }
    return names;
}

QString TopFolderSources::save() const
{
    const QString place = recordPath();
    const auto failed = [](int error) { return QStringLiteral("cannot record which source each folder holds: ") + systemReason(error); };
    // Another run may record its own folders meanwhile: read again under the lock.
    const FileDescriptor folder(::open(nativeName(localFolders_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid() || ::flock(folder.get(), LOCK_EX) != 0)
        return failed(errno);
    Entries entries = read();
    bool changed = false;
    for (const Choice &choice : chosen_) {
        if (!choice.continued)
            changed |= entries.removeIf([&](const auto &entry) { return entry.first == choice.folder; }) > 0;
        for (const QString &source : choice.sources)
            if (!entries.contains(qMakePair(choice.folder, source))) {
                entries.append({choice.folder, source});
                changed = true;
            }
    }
    if (!changed)
        return {};
    QByteArray text = FirstLine.toByteArray();
    for (const auto &[name, source] : std::as_const(entries))
        text += nativeName(name) + '\0' + nativeName(source) + '\0';

    QByteArray temporary = nativeName(place) + ".XXXXXX";
    const FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.valid())
        return failed(errno);
    int error = writeFully(file.get(), text);
    if (error == 0 && ::fsync(file.get()) != 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), nativeName(place).constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return failed(error);
    }
    // The rename itself must be on disk before a message goes into the folder.
    if (::fsync(folder.get()) != 0)
        return failed(errno);
    return {};
}
