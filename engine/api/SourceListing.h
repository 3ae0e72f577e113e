#pragma once

#include "engine/source/SourceMessage.h"
#include "engine/source/SourceWalk.h"
#include "engine/walk/FolderMessages.h"

#include <QList>
#include <QString>

class Yielder;

// A message to convert: its file, and where in it the message lies. Its
// source is absolute, as walked (through links); nameStart is where the
// SOURCE folder's own name begins (for --relative), an offset rather than a
// second string, as a listing can hold millions.
using ListedMessage = SourceMessage;

struct SourceListing {
    QList<ListedMessage> messages;
    QList<SkippedFolder> skippedFolders;
    QList<LeftOutFile> leftOut;  // files of walked folders that are no message, and mbox files that could not be read
    int folders = 0;  // folders walked
};

// Every message of the sources, in the order given. With onlyEml a folder is
// walked as the window's add-folder command walks it (its .eml files), and
// anything else given is taken as a message; else each file is taken for what
// it is (listTypedSources) and an mbox file gives each of its messages.
// counting is called now and then during the walk.
SourceListing listSources(const QStringList &sources, Yielder &yielder, const WalkCount &counting, bool onlyEml = false);

