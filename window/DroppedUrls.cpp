#include "window/DroppedUrls.h"

#include "engine/support/FileNames.h"

namespace {
// A file manager writes a name that is not UTF-8 as its percent-escaped
// bytes; QUrl::toLocalFile would turn those into U+FFFD, which names no file.
QString LocalPath(const QUrl &url)
{
    const QByteArray escaped = url.path(QUrl::FullyEncoded).toLatin1();
    return NameFromNative(QByteArray::fromPercentEncoding(escaped));
}

bool OnThisComputer(const QUrl &url)
{
    const QString host = url.host();
    return url.isLocalFile() && (host.isEmpty() || host == QLatin1String("localhost"));
}
}

DroppedUrls SortDroppedUrls(const QList<QUrl> &urls)
{
    DroppedUrls sorted;
    for (const QUrl &url : urls) {
        if (OnThisComputer(url) && !url.path().isEmpty()) {
            const QString path = LocalPath(url);
            (HoldsNul(path) ? sorted.nulNames : sorted.localPaths).append(path);
        } else
            sorted.remote.append(url.toDisplayString());
    }
    return sorted;
}
