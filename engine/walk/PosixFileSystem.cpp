#include "engine/walk/PosixFileSystem.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/walk/NameOrder.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

enum class EntryKind { Folder, File, Leave };

FolderIdentity identityOf(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

// Regular files need no system call; folders, links and entries of file
// systems that do not fill d_type are looked up, following links.
EntryKind kindOf(int folderFd, const dirent &entry, FolderIdentity &identity)
{
    const unsigned char type = entry.d_type;
    if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN)
        return EntryKind::File;
    struct stat info {};
    if (fstatat(folderFd, entry.d_name, &info, 0) == 0) {
        if (!S_ISDIR(info.st_mode))
            return EntryKind::File;
        identity = identityOf(info);
        return EntryKind::Folder;
    }
    if (type == DT_DIR)
        return EntryKind::Folder;  // listing it will say what is wrong
    if (type == DT_UNKNOWN && fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::Leave;  // gone since the listing was read
    return EntryKind::File;
}

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

template <typename T>
std::vector<T> reordered(std::vector<T> &items, const std::vector<size_t> &order)
{
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const size_t k : order)
        sorted.push_back(std::move(items[k]));
    return sorted;
}

} // namespace

bool PosixFileSystem::folderExists(const QString &path)
{
    if (path.isEmpty() || holdsNul(path))
        return false;
    struct stat info {};
    return stat(nativeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixFileSystem::listFolder(const QString &path, FolderListing &listing, QString &reason)
{
    listing = {};
    if (holdsNul(path)) {
        reason = QStringLiteral("the name holds a NUL byte, which no folder name can");
        return false;
    }
    DIR *folder = opendir(nativeName(path).constData());
    if (!folder) {
        reason = systemReason(errno);
        return false;
    }
    const int folderFd = dirfd(folder);
    struct stat self {};
    if (fstat(folderFd, &self) == 0)
        listing.identity = identityOf(self);
    errno = 0;
    while (const dirent *entry = readdir(folder)) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        FolderIdentity identity;
        switch (kindOf(folderFd, *entry, identity)) {
        case EntryKind::Folder:
            listing.subFolders.push_back(nameFromNative(entry->d_name));
            listing.subFolderIdentities.push_back(identity);
            break;
        case EntryKind::File:
            listing.files.push_back(nameFromNative(entry->d_name));
            break;
        case EntryKind::Leave:
            break;
        }
        errno = 0;
    }
    const int readError = errno;
    closedir(folder);
    if (readError != 0) {
        listing = {};
        reason = systemReason(readError);
        return false;
    }
    const std::vector<size_t> folderOrder = nameOrderOf(listing.subFolders);
    listing.subFolders = reordered(listing.subFolders, folderOrder);
    listing.subFolderIdentities = reordered(listing.subFolderIdentities, folderOrder);
    listing.files = reordered(listing.files, nameOrderOf(listing.files));
    return true;
}
