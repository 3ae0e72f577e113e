#include "folders/PosixFileSystem.h"

#include "folders/NameOrder.h"
#include "modules/FileDescriptor.h"
#include "modules/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

enum class EntryKind { Folder, File, Leave };

EntryKind KindOf(int folderFd, const dirent &entry)
{
    unsigned char type = entry.d_type;
    struct stat info {};
    if (type == DT_UNKNOWN) {
        // Some file systems do not fill d_type.
        if (fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Leave;  // gone since the listing was read
        type = IFTODT(info.st_mode);
    }
    if (type == DT_DIR)
        return EntryKind::Folder;
    if (type == DT_LNK && fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode))
        return EntryKind::Leave;
    return EntryKind::File;
}

bool IsDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void SortByName(std::vector<QString> &names)
{
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return NameLess(a, b); });
}

} // namespace

bool PosixFileSystem::FolderExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat info {};
    return stat(NativeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixFileSystem::ListFolder(const QString &path, FolderListing &listing, QString &reason)
{
    listing = {};
    DIR *folder = opendir(NativeName(path).constData());
    if (!folder) {
        reason = SystemReason(errno);
        return false;
    }
    const int folderFd = dirfd(folder);
    errno = 0;
    while (const dirent *entry = readdir(folder)) {
        if (IsDotOrDotDot(entry->d_name))
            continue;
        switch (KindOf(folderFd, *entry)) {
        case EntryKind::Folder:
            listing.subFolders.push_back(NameFromNative(entry->d_name));
            break;
        case EntryKind::File:
            listing.files.push_back(NameFromNative(entry->d_name));
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
        reason = SystemReason(readError);
        return false;
    }
    SortByName(listing.subFolders);
    SortByName(listing.files);
    return true;
}
