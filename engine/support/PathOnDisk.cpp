#include "engine/support/PathOnDisk.h"

#include "engine/support/FileNames.h"

#include <QDir>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

QString absolutePath(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    char buffer[PATH_MAX];
    const QString current = ::getcwd(buffer, sizeof buffer) ? nameFromNative(buffer) : QDir::currentPath();
    return QDir::cleanPath(current + QLatin1Char('/') + path);
}

PathKind kindOfPath(const QString &path)
{
    struct stat status {};
    if (path.isEmpty() || holdsNul(path) || ::stat(nativeName(path).constData(), &status) != 0)
        return PathKind::Missing;
    return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::File;
}
