#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

// The messages already in each Maildir folder a run writes to, by the hash
// in their names: each folder's cur/ and new/ are listed once, the first time
// it is asked about, and no message file is read.
class MaildirIndex {
public:
    // The file (in cur/ or new/) that holds the text with this hash, or empty.
    // Throws Failure when the folder cannot be listed.
    QString copyOf(const QString &folder, const QByteArray &hexHash);
    // A base name for the text no file in the folder has yet.
    QByteArray freeBaseName(const QString &folder, qint64 seconds, const QByteArray &hexHash);
    void add(const QString &folder, const QByteArray &hexHash, const QByteArray &baseName, const QString &file);

private:
    struct Folder {
        QHash<QByteArray, QString> files;  // by hash
        QSet<QByteArray> baseNames;
    };
    Folder &listed(const QString &folder);
    QHash<QString, Folder> folders_;
};
