#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

// Which source each top folder a run made in a profile's Local Folders holds,
// so that the same command run again continues the folder it started (its
// duplicate check looks there, and a record torn by a crash is cut back
// there) while another source of the same name still gets a folder of its own.
//
// Kept in Local Folders as ".quorvel-sources" (Thunderbird passes over a name
// that starts with '.'): a first line, then for each folder and source the
// folder's name and the source's path, each ending in a NUL, as the system's
// bytes. A name read there only ever matches a name made here: nothing in the
// file can lead a run to another folder. A file missing, unreadable or not of
// this shape is taken as empty, and replaced whole when a run adds to it.
class TopFolderSources {
public:
    explicit TopFolderSources(const QString &localFolders);

    // Takes in one message, its output named after namedPath from nameStart
    // on: the first level is its top folder, the path up to that level the
    // source that top folder is made from.
    void add(const QString &namedPath, qsizetype nameStart);

    // Each top folder's name in Local Folders, as MboxNaming::topNames takes
    // them: the folder recorded for one of its sources when there is one,
    // else the first name free there (name, "name 2", "name 3"...: neither
    // the mbox file nor its .sbd there, nor given to another top folder).
    // Notes the choice for save().
    QHash<QString, QString> choose();

    // Records the folders choose() gave, written beside the record, synced
    // and renamed into place, so that it is on disk before the first message
    // goes into them. Empty text when done, else why not (recordPath() names
    // the file).
    [[nodiscard]] QString save() const;

    QString recordPath() const;

    // What a source is known by: its absolute path with every link resolved,
    // so that ".", a relative path and a link to it are one source.
    static QString sameSourceKey(const QString &path);

private:
    using Entries = QList<QPair<QString, QString>>;  // folder name, source

    struct Choice {
        QString folder;
        QSet<QString> sources;
        bool continued = false;  // the folder's earlier sources stay recorded
    };

    Entries read() const;

    QString localFolders_;
    Entries recorded_;
    QHash<QString, QSet<QString>> listed_;  // top folder name -> paths of its sources as listed
    QList<Choice> chosen_;
};
