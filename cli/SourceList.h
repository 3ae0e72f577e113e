#pragma once

#include "engine/walk/FolderMessages.h"

#include <QList>
#include <QString>

class Yielder;

struct ListedMessage {
    QString path;  // absolute, as walked (through links)
    // Where the SOURCE folder's own name begins in path (for --relative); an
    // offset rather than a second string, as a listing can hold millions.
    qsizetype nameStart = 0;
};

struct SourceListing {
    QList<ListedMessage> messages;
    QList<SkippedFolder> skippedFolders;
    int folders = 0;  // folders walked
};

// Every message of the sources, in the order given: a folder is walked as the
// window's add-folder command walks it, anything else is taken as a message.
// counting is called now and then during the walk.
SourceListing listSources(const QStringList &sources, Yielder &yielder, const WalkCount &counting);

