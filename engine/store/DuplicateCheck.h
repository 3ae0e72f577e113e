#pragma once

#include "engine/message/MessageIdentity.h"
#include "engine/source/SourceMessage.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <sys/types.h>

// The identities (see MessageIdentity) in each mbox a run appends to, and
// where each one's first record begins. The run asks under the mbox's lock;
// the file is read the first time, and after that, once it has grown (by
// another run or program), again from its last record on: that record may
// have been cut short, and the bytes added may go on with it. A file that
// shrank or was replaced is read again from its start.
class KnownIdentities {
public:
    static constexpr qint64 NotThere = -1;
    static constexpr qint64 ListedEarlier = -2;  // see listed

    explicit KnownIdentities(DuplicateRule rule = DuplicateRule::ExactCopy) : rule_(rule) {}

    // The offset of the first record with that identity, or NotThere. Throws
    // Failure when the mbox cannot be read. betweenPieces is a yield
    // point while it is.
    qint64 find(const QString &mboxFile, const QByteArray &identity, const std::function<void()> &betweenPieces);
    // A record appended right after find, at offset, growing the file by
    // bytes (the line ends added before it included).
    void appended(const QString &mboxFile, const QByteArray &identity, qint64 offset, qint64 bytes);
    // For a run that writes nothing: a message with this identity would be
    // appended, so later ones are copies (find gives ListedEarlier for them).
    void listed(const QString &mboxFile, const QByteArray &identity);

    DuplicateRule rule() const { return rule_; }

private:
    struct Mbox {
        QHash<QByteArray, qint64> offsets;
        qint64 readTo = 0;
        qint64 lastRecord = 0;    // where a grown file is read again from
        QByteArray lastIdentity;  // that record's, as far as it went
        dev_t device = 0;
        ino_t inode = 0;
    };
    DuplicateRule rule_;
    QHash<QString, Mbox> known_;
};

// The identity of a message file whose first piece has been read. The rest
// is read (from the start, in pieces) only when the first piece does not
// settle it. Throws Failure when the file cannot be read.
QByteArray sourceIdentity(const SourceMessage &entry, QByteArrayView firstPiece, qint64 fileSize, DuplicateRule rule,
                          const std::function<void()> &betweenPieces);

// For a run that writes nothing and locks nothing: where a copy of the
// message of entry is in mboxFile (see KnownIdentities::find); when there
// is none, the message is taken as appended (KnownIdentities::listed).
// Throws Failure when the message or the mbox cannot be read.
qint64 findCopyOf(const SourceMessage &entry, const QString &mboxFile, KnownIdentities &known,
                  const std::function<void()> &betweenPieces);
