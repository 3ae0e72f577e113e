#include "engine/source/PartialEmlx.h"

#include "engine/source/MimeParts.h"
#include "engine/source/TransferEncoding.h"

#include <QDir>
#include <QFile>

namespace {

// The file of one stub part: the one named as the part names it, else the only one there.
QString attachmentFile(const QString &folder, const MimePart &part)
{
    const QDir dir(folder + QLatin1Char('/') + part.number);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden);
    const QString named = QString::fromUtf8(part.fileName);
    if (!named.isEmpty() && files.contains(named))
        return dir.filePath(named);
    return files.size() == 1 ? dir.filePath(files.first()) : QString();
}

} // namespace

QString attachmentsFolderOf(const QString &emlxPath)
{
    const qsizetype slash = emlxPath.lastIndexOf(QLatin1Char('/'));
    const QString name = emlxPath.mid(slash + 1);
    const QString number = name.section(QLatin1Char('.'), 0, 0);
    const QString messages = emlxPath.left(slash);
    return messages.left(messages.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral("Attachments/") + number;
}

RestoredMessage restorePartialMessage(const QByteArray &message, const QString &attachmentsFolder)
{
    RestoredMessage restored;
    const QByteArray lineEnd = message.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    qsizetype copied = 0;
    for (const MimePart &part : mimeLeafParts(message)) {
        const QString path = attachmentFile(attachmentsFolder, part);
        if (path.isEmpty()) {
            if (part.appleStub)
                restored.missingParts.append(part.number);
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            restored.failure = path + QStringLiteral(": ") + file.errorString();
            return restored;
        }
        restored.bytes += QByteArrayView(message).sliced(copied, part.bodyStart - copied);
        if (!part.hasBody)
            restored.bytes += lineEnd;
        restored.bytes += encodeForTransfer(file.readAll(), part.transferEncoding, lineEnd);
        copied = part.bodyEnd;
    }
    restored.bytes += QByteArrayView(message).sliced(copied);
    return restored;
}
