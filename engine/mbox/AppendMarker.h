#pragma once

#include "engine/support/FileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <sys/stat.h>

// The side file that makes an append recoverable. Before each piece of a
// record goes into the mbox it says where the record starts, how many of its
// bytes are already there and their hash, how far the record will reach once
// the piece is there and the hash up to that point, whether the piece is the
// record's last, and the piece's first bytes. It is emptied once the record
// is whole. A later append can so tell a torn record of ours from anything
// else (see judgeTornRecord). Used under the mbox's lock.
//
// It lives beside the mbox as ".<name>.append" (a hash of the name when that
// would be too long a name); where the mbox's folder cannot take it, in the
// user's state folder under the mbox's device and inode. It is never followed
// through a link, and only a regular file of the user's is read or written.
//
// Emptied rather than removed between the records of a series: a file made and
// removed per record costs more than the record itself when messages are small.
class AppendMarker {
public:
    explicit AppendMarker(const QString &mboxPath);
    ~AppendMarker();
    AppendMarker(const AppendMarker &) = delete;
    AppendMarker &operator=(const AppendMarker &) = delete;

    struct State {
        qint64 start = 0;     // of the record in the mbox
        qint64 done = 0;      // bytes of it in the mbox before this piece
        quint64 doneHash = 0;
        qint64 end = 0;       // bytes of it once this piece is there
        quint64 endHash = 0;
        bool last = false;    // the piece ends the record
        QByteArray head;      // the piece's first bytes, at most HeadKept
    };
    struct Found {
        bool present = false;  // and not empty
        QString unusable;      // why it cannot be acted on, when present
        State state;
    };
    // mbox: the open mbox's status, which names the file in the state folder.
    Found read(const struct stat &mbox);

    // Empty text when written, else why not; writeError() then holds the
    // system's error, so a full disk can be told from any other failure.
    [[nodiscard]] QString write(const State &state, const struct stat &mbox);
    int writeError() const { return writeError_; }
    // The record is whole, or cut off again.
    void clear();
    // At the end of a series: an emptied marker is removed.
    void removeIfEmpty();

    QString path() const;  // where it is, or would be made beside the mbox

    static constexpr qsizetype HeadKept = 1024;

private:
    [[nodiscard]] bool open(const QByteArray &name, bool create, QString &unusable);
    QByteArray stateName(const struct stat &mbox) const;
    void close();

    QByteArray beside_;
    QByteArray inUse_;  // the name fd_ was opened by
    FileDescriptor fd_;
    int openError_ = 0;   // why the last open failed, when the system said
    int writeError_ = 0;
};
