#pragma once

#include <QString>

// Paths as a user types them, resolved against the disk with their real bytes.

// An absolute path with "." and ".." resolved by name (a ".." left in would
// put an mbox outside its destination); a relative one starts from the
// working folder, read as bytes (QDir::currentPath() would lose a name that is
// not UTF-8).
QString absolutePath(const QString &path);

enum class PathKind { Missing, Folder, File };

// What a path names on disk, following links.
PathKind kindOfPath(const QString &path);
