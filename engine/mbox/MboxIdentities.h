#pragma once

#include "engine/mbox/FromLineStart.h"
#include "engine/message/MessageIdentity.h"

#include <QString>
#include <functional>
#include <sys/types.h>

// Reads an mbox, written by this program or another (mboxo or mboxrd, LF or
// CR LF line ends), in pieces, and gives the identity of each message in it
// and where its record begins. As Python's mailbox does, every line starting
// with "From " starts a message and whatever comes before the first is not
// one; the quoting the record writer adds is taken off by the same rule
// (FromLineStart). Lone CRs end lines too.
class MboxIdentityReader {
public:
    // offset: of the record's separator line, in the file.
    using Found = std::function<void(const QByteArray &identity, qint64 offset)>;
    // The first piece is fed from the file's offset start on.
    explicit MboxIdentityReader(Found found, DuplicateRule rule = DuplicateRule::ExactCopy, qint64 start = 0)
        : found_(std::move(found)), message_(rule), position_(start) {}

    void feed(QByteArrayView piece);
    void finish();

private:
    void lineText(QByteArrayView text);
    void lineEnd();
    void decide(bool fromLine);
    void emit(QByteArrayView text);

    Found found_;
    LineSplitter lines_;
    MessageIdentity message_;
    qint64 position_;             // of the piece being fed
    const char *piece_ = nullptr;
    qint64 lineOffset_ = 0;       // where the line being read begins
    qint64 recordOffset_ = -1;
    bool inMessage_ = false;
    bool atLineStart_ = true;
    bool deciding_ = false;       // reading the first bytes of a line
    FromLineStart start_;
    bool inSeparator_ = false;
};

struct [[nodiscard]] MboxScan {
    QString failure;  // empty when the file was read to its end (or is missing)
    qint64 end = 0;   // where the reading stopped
    dev_t device = 0;
    ino_t inode = 0;
};

// Every message's identity in the mbox file from offset from on (where a
// record begins), read a piece at a time with betweenPieces run between
// pieces (a yield point; it may throw). A missing file holds none.
MboxScan readMboxIdentities(const QString &mboxPath, const MboxIdentityReader::Found &found,
                            DuplicateRule rule = DuplicateRule::ExactCopy, qint64 from = 0,
                            const std::function<void()> &betweenPieces = {});
