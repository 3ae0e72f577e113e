#pragma once

#include "engine/walk/Collection.h"
#include "engine/walk/SkippedFolder.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Yielder;

// What a walk of one folder found.
struct FolderMessages {
    QStringList messages;  // in the walk's order: breadth first, each folder's entries in name order
    std::shared_ptr<Collection<SkippedFolder>> skippedFolders;
    int folders = 0;  // folders walked
};

// Messages found so far, and folders walked so far.
using WalkCount = std::function<void(int messages, int folders)>;

// Every message file (isMessagePath) below folder, as the window's add-folder
// command lists them and the command walks a SOURCE folder. counting, when
// given, is called now and then during the walk.
FolderMessages messagesBelow(const QString &folder, Yielder &yielder, const WalkCount &counting = {});

// The same walk, keeping the files that wanted says yes to (and counting them).
using FileFilter = bool (*)(const QString &path);
FolderMessages filesBelow(const QString &folder, Yielder &yielder, const WalkCount &counting, FileFilter wanted);
