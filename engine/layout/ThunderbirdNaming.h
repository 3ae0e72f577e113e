#pragma once

#include "engine/mbox/MboxNaming.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// Thunderbird's folder tree: a folder is an mbox file named as the folder,
// without extension; its subfolders live in the folder "Name.sbd/" beside it,
// and that file must be there (empty is fine) for anything below to show.

// The folder that holds the top folders in a profile-shaped DEST: Thunderbird's
// "Import from another Thunderbird installation" takes DEST as a profile and
// copies each folder of DEST/Mail/ into its own folder in Local Folders.
inline QString thunderbirdTreeRoot(const QString &destination)
{
    return destination + (destination.endsWith(QLatin1Char('/')) ? "" : "/") + QStringLiteral("Mail/Local Folders");
}

// A folder name as Thunderbird shows it. Thunderbird passes over a name that
// starts with '.' or '#', ends in '~', or ends in .msf, .sbd, .snm, .toc or
// .mozmsgs (any case), so such a name gets a '_' where it does harm: before
// the '.' or '#', after the '~' or the extension. Every other name, bytes that
// are not UTF-8 included, stays as it is.
QString thunderbirdFolderName(const QString &name);

// The mbox of a folder whose path from the listed folder's own name on is
// relativeFolder ("Mail/Inbox/Bounces"): below root, each level's name made
// visible as above, the top level renamed by topNames when it holds it
// ("Mail" -> "Mail 2"). The target's treeRoot is root. Throws RunTimeError
// (SubscriptOutOfRange) for a folder without a name (messages right in "/").
OutputTarget thunderbirdTarget(const QString &root, const QString &relativeFolder,
                               const QHash<QString, QString> &topNames = {});

// Makes the empty mbox file of every level of folder (below treeRoot) that
// holds subfolders, where it is missing; a file there is left as it is. Empty
// text when done, else why not.
[[nodiscard]] QString makeParentFolderFiles(const QString &treeRoot, const QString &folder, int *error = nullptr);

// What Thunderbird writes after the separator line of every message it
// stores: read (0001) or new (0000), and no other flag.
QByteArray thunderbirdStatusLines(bool read);
