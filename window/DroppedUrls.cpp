#include "window/DroppedUrls.h"

#include "engine/support/FileNames.h"

namespace {
// A file manager writes a name that is not UTF-8 as its percent-escaped
// bytes; QUrl::toLocalFile would turn those into U+FFFD, which names no file.
QString localPath(const QUrl &url)
{
    const QByteArray escaped = url.path(QUrl::FullyEncoded).toLatin1();
    return nameFromNative(QByteArray::fromPercentEncoding(escaped));
}

bool onThisComputer(const QUrl &url)
{
    const QString host = url.host();
    return url.isLocalFile() && (host.isEmpty() || host == QLatin1String("localhost"));
}
}

DroppedUrls sortDroppedUrls(const QList<QUrl> &urls)
{
    DroppedUrls sorted;
    for (const QUrl &url : urls) {
        if (onThisComputer(url) && !url.path().isEmpty()) {
            const QString path = localPath(url);
            (holdsNul(path) ? sorted.nulNames : sorted.localPaths).append(path);
        } else
            sorted.remote.append(url.toDisplayString());
    }
    return sorted;
}
