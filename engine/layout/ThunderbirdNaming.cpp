#include "engine/layout/ThunderbirdNaming.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/RunTimeError.h"

#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String SubfolderSuffix(".sbd");

bool endsInIgnoredExtension(const QString &name)
{
    static const char *const extensions[] = {".msf", ".sbd", ".snm", ".toc", ".mozmsgs"};
    for (const char *extension : extensions)
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

QString thunderbirdFolderName(const QString &name)
{
    QString shown = name;
    if (shown.startsWith(QLatin1Char('.')) || shown.startsWith(QLatin1Char('#')))
        shown.prepend(QLatin1Char('_'));
    if (shown.endsWith(QLatin1Char('~')) || endsInIgnoredExtension(shown))
        shown.append(QLatin1Char('_'));
    return shown;
}

OutputTarget thunderbirdTarget(const QString &root, const QString &relativeFolder, const QHash<QString, QString> &topNames)
{
    const QStringList levels = relativeFolder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (levels.isEmpty())
        throw RunTimeError(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
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

QByteArray thunderbirdStatusLines(bool read)
{
    return read ? QByteArrayLiteral("X-Mozilla-Status: 0001\nX-Mozilla-Status2: 00000000\n")
                : QByteArrayLiteral("X-Mozilla-Status: 0000\nX-Mozilla-Status2: 00000000\n");
}
