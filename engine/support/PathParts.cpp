#include "engine/support/PathParts.h"

#include "engine/support/RunTimeError.h"

QString GetLastPathPart(const QString &path)
{
    if (path.isEmpty())
        throw RunTimeError(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString GetFolderPart(const QString &path)
{
    return path.left(path.size() - GetLastPathPart(path).size());
}
