#include "engine/support/CreatePath.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"

#include <cerrno>
#include <sys/stat.h>

// As mkdir -p does it, so the reason is the one it would give: each folder
// from the top, one that exists already passed over.
QString createPath(const QString &folder, unsigned mode, int *errorOut)
{
    if (folder.isEmpty())
        return systemReason(ENOENT);
    const QByteArray native = nativeName(folder);
    qsizetype end = native.startsWith('/') ? 1 : 0;
    while (end < native.size()) {
        end = native.indexOf('/', end);
        if (end < 0)
            end = native.size();
        const QByteArray part = native.left(end);
        while (end < native.size() && native[end] == '/')
            ++end;
        if (::mkdir(part.constData(), mode_t(mode)) == 0)
            continue;
        const int error = errno;
        struct stat info {};
        if (error == EEXIST && ::stat(part.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        if (end < native.size() && error == EEXIST)
            continue;  // the next folder's creation gives the reason
        if (errorOut)
            *errorOut = error;
        return systemReason(error);
    }
    return {};
}
