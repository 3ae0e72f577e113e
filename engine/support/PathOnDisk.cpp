#include "engine/support/PathOnDisk.h"

#include "engine/support/FileNames.h"

#include <QDir>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

QString AbsolutePath(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    char buffer[PATH_MAX];
    const QString current = ::getcwd(buffer, sizeof buffer) ? NameFromNative(buffer) : QDir::currentPath();
    return QDir::cleanPath(current + QLatin1Char('/') + path);
}

PathKind KindOfPath(const QString &path)
{
    struct stat status {};
    if (path.isEmpty() || HoldsNul(path) || ::stat(NativeName(path).constData(), &status) != 0)
        return PathKind::Missing;
    return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::File;
}
