#include "app/PathKind.h"

#include "modules/FileNames.h"

#include <sys/stat.h>

PathKind KindOfPath(const QString &path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(NativeName(path).constData(), &status) != 0)
        return PathKind::Missing;
    return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::File;
}
