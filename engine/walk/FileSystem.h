#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Where a folder lives: two paths name the same folder (through a symbolic
// link, a bind mount) exactly when these match.
struct FolderIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FolderIdentity &) const = default;
};

// One folder's immediate entries, each list in name order (see nameOrderOf).
struct FolderListing {
    std::vector<QString> subFolders;
    std::vector<QString> files;
    // The listed folder's own identity, and one per subfolder in the same
    // order (all zero for one it could not look up); a file system that
    // cannot tell leaves both empty.
    std::optional<FolderIdentity> identity;
    std::vector<FolderIdentity> subFolderIdentities;
};

// What a walker asks of the file system. Paths end in "/" when they name a folder.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool folderExists(const QString &path) = 0;
    // Fills listing and returns true, or returns false with the reason in words.
    virtual bool listFolder(const QString &path, FolderListing &listing, QString &reason) = 0;
};

using FileSystemFactory = std::function<std::shared_ptr<FileSystem>()>;

// The file system each new walker gets: the real one, unless a test has
// swapped in a faulty one. An empty factory restores the real one.
std::shared_ptr<FileSystem> createFileSystem();
void setFileSystemFactory(FileSystemFactory factory);
