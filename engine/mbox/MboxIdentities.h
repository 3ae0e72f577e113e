#pragma once

#include "engine/message/MessageIdentity.h"
#include "engine/message/FromUnquoter.h"
#include "engine/source/MboxSource.h"

#include <QList>
#include <QString>
#include <functional>
#include <sys/types.h>

class Yielder;

// The identity of each message of an mbox as messagesOfMbox splits it, taken
// from the pieces the splitter reads (MboxPieceSeen) as it reads them, so
// that the file is read once. Of a message not ended yet, what may still
// turn out to be its closing line end and the next separator line is held
// back, up to heldAtMost bytes; past that it is read again from the file
// once the message has ended. A message's text is unquoted as a run's mbox
// source is (FromUnquoter), so an mbox written by this program or another
// gives the identities its messages have as sources.
class MboxIdentityReader {
public:
    // offset: of the record's separator line, in the file.
    using Found = std::function<void(const QByteArray &identity, qint64 offset)>;
    static constexpr qint64 DefaultHeldAtMost = 1024 * 1024;

    // bytesAt reads the file being split, for what is no longer held.
    MboxIdentityReader(MboxBytesAt bytesAt, Found found, DuplicateRule rule = DuplicateRule::ExactCopy,
                       qint64 heldAtMost = DefaultHeldAtMost)
        : bytesAt_(std::move(bytesAt)), found_(std::move(found)), identity_(rule), heldAtMost_(heldAtMost) {}

    // As MboxPieceSeen: the pieces from the file's start on, in order.
    void seen(QByteArrayView piece, qint64 offset, const QList<MboxMessage> &found, const MboxMessage *open);
    // With every message the split found: those left end here. Why the
    // file could not be read again, or empty.
    QString finish(const QList<MboxMessage> &all);

private:
    void feed(qint64 from, qint64 to, QByteArrayView piece, qint64 offset);
    void readAgain(qint64 from, qint64 to);
    void text(QByteArrayView bytes);
    void finishMessage(const MboxMessage &message);
    bool mayBeSeparator(QByteArrayView piece, qint64 offset) const;

    MboxBytesAt bytesAt_;
    Found found_;
    MessageIdentity identity_;
    FromUnquoter unquoter_;
    const std::function<void(QByteArrayView)> toIdentity_ = [this](QByteArrayView text) { identity_.feed(text); };
    qint64 heldAtMost_;
    qsizetype next_ = 0;        // the first message not ended yet
    qint64 openRecord_ = -1;    // the message whose text is being fed, by its separator's offset
    qint64 fedTo_ = 0;          // how far its text has been
    qint64 lineStart_ = 0;      // of the last line seen
    QByteArray held_;           // the file's bytes [heldFrom_, the next piece's offset)
    qint64 heldFrom_ = 0;
    QByteArray unquoted_;
    QByteArray readBuffer_;
    QString failure_;
};

// Every message's identity in the mbox that bytesAt reads, of size bytes.
// Why it could not be read to its end, or empty.
// heldAtMost: see MboxIdentityReader.
QString identitiesOfMbox(const MboxBytesAt &bytesAt, qint64 size, const MboxIdentityReader::Found &found,
                         DuplicateRule rule, Yielder &yielder,
                         qint64 heldAtMost = MboxIdentityReader::DefaultHeldAtMost);

struct [[nodiscard]] MboxScan {
    QString failure;  // empty when the file was read to its end (or is missing)
    qint64 end = 0;   // where the reading stopped
    dev_t device = 0;
    ino_t inode = 0;
};

// Every message's identity in the mbox file from offset from on, which must
// be where a record begins: the bytes before it are not looked at, and a
// "From " line at from is a separator. A missing file holds none.
// betweenPieces runs between pieces (a yield point; it may throw).
MboxScan readMboxIdentities(const QString &mboxPath, const MboxIdentityReader::Found &found,
                            DuplicateRule rule = DuplicateRule::ExactCopy, qint64 from = 0,
                            const std::function<void()> &betweenPieces = {});
