#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

// A drop's URLs sorted out: the local paths in the order dropped, and the
// others (another computer's files, web pages), which cannot be listed.
struct DroppedUrls {
    QStringList localPaths;
    QStringList remote;
    QStringList nulNames;  // a %00 decodes to a NUL byte, which cuts the name short: they name no file
};

DroppedUrls sortDroppedUrls(const QList<QUrl> &urls);
