#include "engine/layout/ThunderbirdNaming.h"


#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/Failure.h"

#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String SubfolderSuffix(".sbd");

// Thunderbird stores a folder whose name is longer than this under a cut and
// hashed name, and finds nothing under the name itself.
constexpr qsizetype LongestName = 55;

bool endsInIgnoredExtension(const QString &name)
{
    static const char *const extensions[] = {".msf", ".sbd", ".snm", ".toc", ".mozmsgs"};
    for (const char *extension : extensions)
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    return false;
}

// Thunderbird's own hash of a folder name (its UTF-16 bytes), as it names
// the file of a folder whose name is too long.
QString nameHash(const QString &name)
{
    quint32 hash = 1;
    for (const QChar c : name) {
        hash = 0x63c63cd9u * hash + 0x9c39c33du + quint32(c.unicode() & 0xff);
        hash = 0x63c63cd9u * hash + 0x9c39c33du + quint32(c.unicode() >> 8);
    }
    return QStringLiteral("%1").arg(hash, 8, 16, QLatin1Char('0'));
}

} // namespace

QString thunderbirdFolderName(const QString &name)
{
    QString shown = name;
    for (QChar &c : shown) {
        // Thunderbird reads file names as UTF-8 and finds no file by a name
        // it could not read; such bytes are mostly Latin-1 from older systems.
        if (c.unicode() >= 0xdc80 && c.unicode() <= 0xdcff)
            c = QChar(c.unicode() - 0xdc00);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('#') || c == QLatin1Char(';'))
            c = QLatin1Char('_');
    }
    if (shown.startsWith(QLatin1Char('.')))
        shown.prepend(QLatin1Char('_'));
    if (shown.endsWith(QLatin1Char('~')) || shown.endsWith(QLatin1Char('.')) || shown.endsWith(QLatin1Char(' '))
        || endsInIgnoredExtension(shown))
        shown.append(QLatin1Char('_'));
    if (shown.size() > LongestName)
        shown = shown.left(LongestName - 8) + nameHash(shown);
    return shown;
}

OutputTarget thunderbirdTarget(const QString &root, const QString &relativeFolder, const QHash<QString, QString> &topNames)
{
    const QStringList levels = relativeFolder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (levels.isEmpty())
        throw Failure(FailureKind::NoMboxName, noMboxNameReason());
    QString folder = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    for (qsizetype k = 0; k + 1 < levels.size(); ++k) {
        const QString name = thunderbirdFolderName(levels[k]);
        folder += (k == 0 ? topNames.value(name, name) : name) + SubfolderSuffix + QLatin1Char('/');
    }
    const QString last = thunderbirdFolderName(levels.last());
    OutputTarget target{folder, folder + (levels.size() == 1 ? topNames.value(last, last) : last)};
    target.treeRoot = root;
    return target;
}

QString makeParentFolderFiles(const QString &treeRoot, const QString &folder, int *error)
{
    qsizetype at = treeRoot.size();
    for (;;) {
        const qsizetype end = folder.indexOf(SubfolderSuffix + QLatin1Char('/'), at);
        if (end < 0)
            return {};
        const QByteArray file = nativeName(folder.left(end));
        // O_EXCL: an mbox there already, with its messages, is never opened for writing.
        FileDescriptor fd(::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (fd.get() < 0 && errno != EEXIST) {
            if (error)
                *error = errno;
            return QStringLiteral("cannot create the folder file ") + folder.left(end) + QStringLiteral(": ")
                 + systemReason(errno);
        }
        at = end + SubfolderSuffix.size() + 1;
    }
}

