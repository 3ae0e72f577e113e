#include "engine/verify/MaildirReader.h"

#include "engine/support/FileNames.h"
#include "engine/verify/SourceDigest.h"

#include <QDir>
#include <QFileInfo>

QString MaildirReader::containerOf(const QString &target) const
{
    const QFileInfo info(target);
    const QString parent = info.dir().dirName();
    if (parent == QLatin1String("cur") || parent == QLatin1String("new") || parent == QLatin1String("tmp"))
        return QFileInfo(info.path()).path();
    return target;
}

QString MaildirReader::read(const QString &container, const std::function<void(const StoredMessage &)> &each,
                            Yielder &yielder) const
{
    if (!QFileInfo(container + QStringLiteral("/cur")).isDir())
        return QStringLiteral("not a maildir folder (no cur/ in it)");
    for (const char *part : {"cur", "new"}) {
        const QDir folder(container + QLatin1Char('/') + QLatin1String(part));
        // Names starting with "." are not messages: a maildir writer's own files.
        const QStringList names = folder.entryList(QDir::Files | QDir::System, QDir::Name);
        for (const QString &name : names) {
            StoredMessage message;
            message.file = folder.filePath(name);
            QString failure;
            message.digest = digestOfMessageFile(message.file, yielder, &failure);
            if (!failure.isEmpty())
                return message.file + QStringLiteral(": ") + failure;
            each(message);
        }
    }
    return {};
}

QString MaildirReader::placeOf(const StoredMessage &message) const
{
    return QStringLiteral("the file ") + message.file;
}
