#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

// One folder's immediate entries, each list sorted with NameLess.
struct FolderListing {
    std::vector<QString> subFolders;
    std::vector<QString> files;
};

// What a walker asks of the file system. Paths end in "/" when they name a folder.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool FolderExists(const QString &path) = 0;
    // Fills listing and returns true, or returns false with the reason in words.
    virtual bool ListFolder(const QString &path, FolderListing &listing, QString &reason) = 0;
};

using FileSystemFactory = std::function<std::shared_ptr<FileSystem>()>;

// The file system each new walker gets: the real one, unless a test has
// swapped in a faulty one. An empty factory restores the real one.
std::shared_ptr<FileSystem> CreateFileSystem();
void SetFileSystemFactory(FileSystemFactory factory);
