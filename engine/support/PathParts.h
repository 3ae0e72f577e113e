#pragma once

#include <QString>

// Free procedures on paths. Paths here use "/".

// The text after the last "/"; the whole path when it has none; empty when it
// ends in "/". An empty path throws Failure (NoSuchItem).
QString getLastPathPart(const QString &path);

// The path up to and including its last "/"; empty when it has none.
QString getFolderPart(const QString &path);
