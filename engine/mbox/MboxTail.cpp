#include "engine/mbox/MboxTail.h"

#include <unistd.h>

QByteArray missingRecordEnd(int fd, off_t length, bool lfLineEnds)
{
    if (length <= 0)
        return {};
    char tail[3] = {0, 0, 0};
    const off_t from = length >= 3 ? length - 3 : 0;
    const ssize_t got = ::pread(fd, tail + (3 - (length - from)), size_t(length - from), from);
    if (got != length - from)
        return {};  // unreadable: left as it is rather than guessed at
    QByteArray missing;
    QByteArray end(tail, 3);
    if (end.endsWith('\r')) {
        missing = "\n";  // a CR LF torn in two
        end = end.mid(1) + '\n';
    }
    if (end.endsWith("\n\n") || end.endsWith("\n\r\n"))
        return missing;
    const QByteArray lineEnd = lfLineEnds ? "\n" : "\r\n";
    if (!end.endsWith('\n'))
        return lineEnd + lineEnd;
    return missing + lineEnd;
}
