#pragma once

#include "engine/mbox/OutputTarget.h"

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

// A folder name as Thunderbird can keep it. Thunderbird passes over a file
// whose name starts with '.', ends in '~', or ends in .msf, .sbd, .snm, .toc or
// .mozmsgs (any case); it looks for the messages of a folder whose name holds
// '#', ';' or a control character, ends in '.', '~' or a space, or is longer
// than 55 characters under another file name, and finds none; it reads file
// names as UTF-8. So: a byte that is not UTF-8 becomes its Latin-1 letter;
// '#', ';' and control characters become '_'; a '_' goes before a leading '.'
// and after a trailing '.', '~', space or such an extension; a longer name is
// cut to 47 characters and Thunderbird's own 8-digit hash of it follows, the
// name Thunderbird itself gives that folder's file. Any other name stays.
QString thunderbirdFolderName(const QString &name);

// The mbox of a folder whose path from the listed folder's own name on is
// relativeFolder ("Mail/Inbox/Bounces"): below root, each level's name made
// visible as above, the top level renamed by topNames when it holds it
// ("Mail" -> "Mail 2"). The target's treeRoot is root. Throws Failure
// (NoMboxName) for a folder without a name (messages right in "/").
OutputTarget thunderbirdTarget(const QString &root, const QString &relativeFolder,
                               const QHash<QString, QString> &topNames = {});

// Makes the empty mbox file of every level of folder (below treeRoot) that
// holds subfolders, where it is missing; a file there is left as it is. Empty
// text when done, else why not.
[[nodiscard]] QString makeParentFolderFiles(const QString &treeRoot, const QString &folder, int *error = nullptr);

