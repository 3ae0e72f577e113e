#pragma once

#include "engine/source/SourceKind.h"
#include "engine/walk/FolderMessages.h"

#include <QList>
#include <QString>

class Yielder;

// One message file (or mbox file) found below a source, and the folder it
// belongs to as a mail program would show it.
struct SourceFile {
    QString path;      // the file on disk
    // The path the output is named after: the mail folder's path (a maildir's
    // own folder, an Apple Mail box without ".mbox", an mbox file's name as a
    // folder) with the file's name. Equal to path for an .eml file.
    QString namePath;
    qsizetype nameStart = 0;  // where the listed source's own name begins in namePath
    SourceKind kind = SourceKind::Unknown;
};

// A file of a walked folder that is no message: left out, and said so.
struct LeftOutFile {
    QString path;
    QString why;
};

struct TypedListing {
    QList<SourceFile> files;
    QList<LeftOutFile> leftOut;
    QList<SkippedFolder> skippedFolders;
    int folders = 0;
};

// Every source taken for what it is (SourceKind): a folder is walked once
// and each file in it judged by its name and first bytes; a maildir's cur/
// and new/ hold its messages (tmp/ is never read); when N.emlx and
// N.partial.emlx both exist the full one wins.
TypedListing listTypedSources(const QStringList &sources, Yielder &yielder, const WalkCount &counting = {});
