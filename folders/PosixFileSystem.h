#pragma once

#include "folders/FileSystem.h"

// The real file system, read with opendir/readdir. A symbolic link to a folder
// is left out of the listing, so a link back to an ancestor cannot make a walk
// endless; any other entry that is not a folder counts as a file.
class PosixFileSystem final : public FileSystem {
public:
    bool FolderExists(const QString &path) override;
    bool ListFolder(const QString &path, FolderListing &listing, QString &reason) override;
};
