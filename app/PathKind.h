#pragma once

#include <QString>

enum class PathKind { Missing, Folder, File };

// What a path names on disk, following links, looked up with its real bytes.
PathKind KindOfPath(const QString &path);
