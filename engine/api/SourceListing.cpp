#include "engine/api/SourceListing.h"

#include "engine/source/SourceEntries.h"
#include "engine/support/PathOnDisk.h"
#include "engine/support/Yielder.h"
#include "engine/walk/FolderMessages.h"

namespace {

QString lastName(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

void walkFolder(const QString &folder, SourceListing &listing, Yielder &yielder, const WalkCount &counting)
{
    const QString start = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    // The root has no name of its own: its messages start from the top.
    const qsizetype nameStart = folder == QLatin1String("/") ? 1 : start.size() - lastName(folder).size() - 1;
    const int messagesBefore = int(listing.messages.size()), foldersBefore = listing.folders;
    WalkCount countingAll;
    if (counting)
        countingAll = [&](int messages, int folders) { counting(messagesBefore + messages, foldersBefore + folders); };
    const FolderMessages found = messagesBelow(start, yielder, countingAll);
    for (const QString &path : found.messages)
        listing.messages.append({path, {}, nameStart});
    for (const SkippedFolder &skipped : *found.skippedFolders)
        listing.skippedFolders.append(skipped);
    listing.folders += found.folders;
}

} // namespace

SourceListing listSources(const QStringList &sources, Yielder &yielder, const WalkCount &counting, bool onlyEml)
{
    SourceListing listing;
    if (!onlyEml) {
        const TypedListing typed = listTypedSources(sources, yielder, counting);
        listing.leftOut = typed.leftOut;
        listing.messages = sourceEntries(typed, yielder, listing.leftOut);
        listing.skippedFolders = typed.skippedFolders;
        listing.folders = typed.folders;
        if (counting)
            counting(int(listing.messages.size()), listing.folders);
        return listing;
    }
    for (const QString &source : sources) {
        const QString path = absolutePath(source);
        if (kindOfPath(path) == PathKind::Folder) {
            walkFolder(path, listing, yielder, counting);
        } else {
            // A file's name is taken from its folder's name on.
            const qsizetype folderEnd = path.lastIndexOf(QLatin1Char('/'));
            listing.messages.append({path, {}, folderEnd > 0 ? path.lastIndexOf(QLatin1Char('/'), folderEnd - 1) + 1 : 0});
        }
        yielder.yield();
    }
    if (counting)
        counting(int(listing.messages.size()), listing.folders);
    return listing;
}
