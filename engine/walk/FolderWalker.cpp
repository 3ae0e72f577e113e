#include "engine/walk/FolderWalker.h"

#include "engine/support/Failure.h"
#include "engine/support/Yielder.h"
#include "engine/walk/CheckedCount.h"

namespace {

NumberedKey keyFor(qint32 number)
{
    return {u'K', number};
}

template <typename T>
std::shared_ptr<Collection<T>> &onDemand(std::shared_ptr<Collection<T>> &field)
{
    if (!field)
        field = std::make_shared<Collection<T>>();
    return field;
}

} // namespace

FolderWalker::FolderWalker(Yielder &yielder)
    : yielder_(yielder)
{
}

void FolderWalker::pathLogInit()
{
    fileSystem_ = createFileSystem();
    yielder_.yield();
    fullFileNamesOnly_ = true;
    fileNames_.reset();
    pathPointers_.reset();
    pathNames_.reset();
    fullFileNames_.reset();
    skippedFolders_.reset();
}

void FolderWalker::logPath(const QString &startFolder)
{
    if (!requireFileSystem().folderExists(startFolder))
        return;
    yielder_.yield();
    qint32 position = 1;
    qint32 knownFolders = 1;
    fileCounter_ = 1;
    yielder_.yield();
    pathNames()->add(ensureTrailingBackslash(startFolder), QStringLiteral("K0"));
    walkedFolders_.clear();
    do {
        visitFolder(position, knownFolders);
        yielder_.yield();
        position = checkedIncrement(position);
        yielder_.yield();
    } while (position <= knownFolders);
}

void FolderWalker::visitFolder(qint32 position, qint32 &knownFolders)
{
    yielder_.yield();
    const QString folder = pathNames()->item(position);
    // One listing serves both the subfolders and the files of the folder.
    auto listing = std::make_shared<FolderListing>();
    QString reason;
    if (!requireFileSystem().listFolder(folder, *listing, reason)) {
        skippedFolders()->add({folder, reason});
        return;
    }
    if (listing->identity)
        firstVisit(*listing->identity);
    subFolderList_ = listing;
    for (size_t k = 0; k < listing->subFolders.size(); ++k) {
        if (k < listing->subFolderIdentities.size() && !firstVisit(listing->subFolderIdentities[k]))
            continue;
        const QString &name = listing->subFolders[k];
        subFolderEntry_ = name;
        knownFolders = checkedIncrement(knownFolders);
        pathNames()->add(folder + name + QLatin1Char('/'), keyFor(knownFolders));
        yielder_.yield();
    }
    fileList_ = listing;
    yielder_.yield();
    for (const QString &name : listing->files) {
        fileEntry_ = name;
        recordFile(folder, name, position);
    }
}

bool FolderWalker::firstVisit(const FolderIdentity &folder)
{
    if (folder == FolderIdentity{})
        return true;
    return walkedFolders_.insert({folder.device, folder.inode}).second;
}

void FolderWalker::recordFile(const QString &folder, const QString &name, qint32 position)
{
    const NumberedKey key = keyFor(fileCounter_);
    // Made at its exact size (operator+ leaves room to grow): the path is
    // kept, and goes into the list as it is.
    QString path;
    path.reserve(folder.size() + name.size());
    path.append(folder).append(name);
    if (fullFileNamesOnly_) {
        fullFileNames()->add(std::move(path), key);
    } else {
        fileNames()->add(name, key);
        fullFileNames()->add(std::move(path), key);
        pathPointers()->add(position, key);
    }
    fileCounter_ = checkedIncrement(fileCounter_);
    yielder_.yield();
}

void FolderWalker::terminate()
{
    yielder_.yield();
    fileSystem_.reset();
    fileList_.reset();
    fileEntry_.clear();
    subFolderList_.reset();
    subFolderEntry_.clear();
    fileNames_.reset();
    pathNames_.reset();
    pathPointers_.reset();
    fullFileNames_.reset();
    skippedFolders_.reset();
    walkedFolders_.clear();
}

std::shared_ptr<Collection<QString>> FolderWalker::fileNames()
{
    return onDemand(fileNames_);
}

std::shared_ptr<Collection<QString>> FolderWalker::pathNames()
{
    return onDemand(pathNames_);
}

std::shared_ptr<Collection<qint32>> FolderWalker::pathPointers()
{
    return onDemand(pathPointers_);
}

std::shared_ptr<Collection<QString>> FolderWalker::fullFileNames()
{
    return onDemand(fullFileNames_);
}

std::shared_ptr<Collection<SkippedFolder>> FolderWalker::skippedFolders()
{
    return onDemand(skippedFolders_);
}

QString FolderWalker::ensureTrailingBackslash(const QString &path)
{
    if (path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

FileSystem &FolderWalker::requireFileSystem() const
{
    if (!fileSystem_)
        throw Failure(FailureKind::NoFileSystem, QStringLiteral("the walk has no file system to read"));
    return *fileSystem_;
}
