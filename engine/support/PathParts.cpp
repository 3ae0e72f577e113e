#include "engine/support/PathParts.h"

#include "engine/support/RunTimeError.h"

QString getLastPathPart(const QString &path)
{
    if (path.isEmpty())
        throw RunTimeError(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString getFolderPart(const QString &path)
{
    return path.left(path.size() - getLastPathPart(path).size());
}
