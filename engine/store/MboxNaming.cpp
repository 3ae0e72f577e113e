#include "engine/store/MboxNaming.h"

#include "engine/support/Failure.h"
#include "engine/layout/ThunderbirdNaming.h"
#include "engine/support/PathParts.h"

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

OutputTarget outputFor(const QString &sourcePath, const QString &destination)
{
    QString sourceFolder = getFolderPart(sourcePath);
    if (sourceFolder.startsWith(QLatin1Char('/')))
        sourceFolder.remove(0, 1);
    QString folder = destination;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    folder += sourceFolder;
    const QString parent = folder.left(folder.size() - 1);
    if (parent.isEmpty())
        throw Failure(FailureKind::NoMboxName, noMboxNameReason());
    const QString name = getLastPathPart(parent);
    return {folder, folder + name + QStringLiteral(".mbox")};
}

OutputTarget MboxNaming::targetFor(const QString &source, qsizetype nameStart) const
{
    switch (rule) {
    case Rule::Single:
        return {singleFile.left(singleFile.lastIndexOf(QLatin1Char('/')) + 1), singleFile};
    case Rule::Relative:
        return outputFor(QLatin1Char('/') + source.mid(nameStart), destination);
    case Rule::Thunderbird: {
        const QString relative = source.mid(nameStart);
        return thunderbirdTarget(destination, relative.left(qMax<qsizetype>(0, relative.lastIndexOf(QLatin1Char('/')))), topNames);
    }
    case Rule::Mirror:
        break;
    }
    return outputFor(source, destination);
}

MaildirTarget maildirTargetFor(const MboxNaming &naming, const QString &source, qsizetype nameStart)
{
    const QString root = withSlash(naming.destination);
    if (naming.rule == MboxNaming::Rule::Single)
        return {root, root};
    const QString path = naming.rule == MboxNaming::Rule::Relative ? source.mid(nameStart) : source;
    QStringList levels = path.split(QLatin1Char('/'));
    levels.removeLast();  // the message's own name
    const QByteArray folder = maildirFolderName(levels);
    if (folder.isEmpty())
        return {root, root};
    return {root, root + QString::fromLatin1(folder) + QLatin1Char('/')};
}
