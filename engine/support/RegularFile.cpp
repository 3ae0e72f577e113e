#include "engine/support/RegularFile.h"

#include "engine/support/FileNames.h"

#include <cerrno>
#include <fcntl.h>

RegularFile openRegularFile(const QString &path)
{
    RegularFile file;
    if (holdsNul(path)) {
        file.failure = QStringLiteral("the name holds a NUL byte, which no file name can");
        return file;
    }
    file.fd.reset(::open(nativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.fd.valid() || ::fstat(file.fd.get(), &file.info) != 0) {
        file.error = errno;
        file.failure = systemReason(file.error);
        file.fd.reset();
        return file;
    }
    if (!S_ISREG(file.info.st_mode)) {
        file.failure = S_ISDIR(file.info.st_mode) ? QStringLiteral("is a folder, not a file") : QStringLiteral("is not a regular file");
        file.fd.reset();
    }
    return file;
}
