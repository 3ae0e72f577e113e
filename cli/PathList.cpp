#include "cli/PathList.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/ShownName.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

// Whole, as a list is short beside the messages it names: 100,000 paths are
// a few megabytes.
int readAll(int fd, QByteArray &bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
        bytes.append(buffer, got);
    }
}

} // namespace

PathList readPathList(const QString &file, bool nulSeparated)
{
    const bool standardInput = file == QLatin1String("-");
    const QString name = standardInput ? QStringLiteral("standard input") : shownName(file);
    QByteArray bytes;
    int error = 0;
    if (standardInput) {
        error = readAll(STDIN_FILENO, bytes);
    } else {
        const FileDescriptor list(::open(nativeName(file).constData(), O_RDONLY | O_CLOEXEC));
        error = list.get() < 0 ? errno : readAll(list.get(), bytes);
    }
    if (error != 0)
        return {{}, name + QStringLiteral(": ") + systemReason(error)};

    PathList list;
    const char separator = nulSeparated ? '\0' : '\n';
    qsizetype line = 0;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf(separator, start);
        if (end < 0)
            end = bytes.size();
        ++line;
        const QByteArrayView entry(bytes.constData() + start, end - start);
        if (!nulSeparated && entry.contains('\0'))
            return {{}, name + QStringLiteral(": line %1 holds a NUL byte, which no file name can "
                                              "(a list separated by NUL bytes needs --null)").arg(line)};
        if (!entry.isEmpty())
            list.paths.append(nameFromNative(entry));
        start = end + 1;
    }
    return list;
}
