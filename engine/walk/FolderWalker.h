#pragma once

#include "engine/walk/Collection.h"
#include "engine/walk/FileSystem.h"
#include "engine/walk/SkippedFolder.h"

#include <QString>
#include <memory>
#include <set>
#include <utility>

class Yielder;

// Walks the whole tree below one folder, breadth first, and records every
// folder and every file in keyed collections. Folders are keyed "K0" for the
// start folder and "K2", "K3"... after it; files "K1", "K2"... in the order
// recorded. The folder list is also the walk's queue. Folders that cannot be
// listed are kept in skippedFolders() and the walk goes on without them.
// Symbolic links to folders are followed, but each folder is walked once, by
// the first way the walk reaches it: a link back to an ancestor ends there,
// and no file is recorded twice.
class FolderWalker {
public:
    explicit FolderWalker(Yielder &yielder);

    void pathLogInit();
    void logPath(const QString &startFolder);
    // After a walk that recorded N files: N + 1, the number the next file would get.
    qint32 count() const { return fileCounter_; }
    void terminate();

    void setFullFileNamesOnly(bool value) { fullFileNamesOnly_ = value; }

    std::shared_ptr<Collection<QString>> fileNames();
    std::shared_ptr<Collection<QString>> pathNames();
    std::shared_ptr<Collection<qint32>> pathPointers();
    std::shared_ptr<Collection<QString>> fullFileNames();
    std::shared_ptr<Collection<SkippedFolder>> skippedFolders();

private:
    static QString ensureTrailingBackslash(const QString &path);
    FileSystem &requireFileSystem() const;
    void visitFolder(qint32 position, qint32 &knownFolders);
    // True the first time the walk reaches this folder; an unknown (zero) one always counts as new.
    bool firstVisit(const FolderIdentity &folder);
    void recordFile(const QString &folder, const QString &name, qint32 position);

    Yielder &yielder_;

    // Each field that a getter of the same name hands out ends in "_".
    std::shared_ptr<FileSystem> fileSystem_;
    std::shared_ptr<const FolderListing> fileList_;
    QString fileEntry_;
    std::shared_ptr<const FolderListing> subFolderList_;
    QString subFolderEntry_;
    qint32 fileCounter_ = 0;
    std::shared_ptr<Collection<QString>> fileNames_;
    std::shared_ptr<Collection<qint32>> pathPointers_;
    std::shared_ptr<Collection<QString>> pathNames_;
    std::shared_ptr<Collection<QString>> fullFileNames_;
    bool fullFileNamesOnly_ = false;
    std::set<std::pair<quint64, quint64>> walkedFolders_;
    std::shared_ptr<Collection<SkippedFolder>> skippedFolders_;
};
