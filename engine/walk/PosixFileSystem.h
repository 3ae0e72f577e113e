#pragma once

#include "engine/walk/FileSystem.h"

// The real file system, read with opendir/readdir. A symbolic link counts as
// what it points to: a folder's identity is that of the folder reached, so a
// walker can tell a link back to an ancestor. A link that points nowhere
// counts as a file, so converting it later names the reason.
class PosixFileSystem final : public FileSystem {
public:
    bool folderExists(const QString &path) override;
    bool listFolder(const QString &path, FolderListing &listing, QString &reason) override;
};
