#include "engine/support/PathParts.h"

#include "engine/support/Failure.h"

QString getLastPathPart(const QString &path)
{
    if (path.isEmpty())
        throw Failure(FailureKind::NoSuchItem, QStringLiteral("an empty path has no parts"));
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString getFolderPart(const QString &path)
{
    return path.left(path.size() - getLastPathPart(path).size());
}
