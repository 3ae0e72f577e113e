#pragma once

#include "convert/MessageIdentity.h"

#include <QString>
#include <functional>

// Reads an mbox, written by this program or another (mboxo or mboxrd, LF or
// CR LF line ends), in pieces, and gives the identity of each message in it.
// As Python's mailbox does, every line starting with "From " starts a
// message and whatever comes before the first is not one; a line of ">"s
// then "From " loses one ">" (mboxrd). Lone CRs end lines too.
class MboxIdentityReader {
public:
    using Found = std::function<void(const QByteArray &identity)>;
    explicit MboxIdentityReader(Found found) : found_(std::move(found)) {}

    void Feed(QByteArrayView piece);
    void Finish();

private:
    void Text(QByteArrayView text);
    void LineEnd();
    void Decide();
    void Emit(QByteArrayView text);

    Found found_;
    LineSplitter lines_;
    MessageIdentity message_;
    bool inMessage_ = false;
    bool atLineStart_ = true;
    bool deciding_ = false;       // reading the first bytes of a line
    qsizetype quotes_ = 0;        // its leading ">"s
    QByteArray head_;             // up to five bytes after them
    bool inSeparator_ = false;
};

// Every message's identity in the mbox file, read a piece at a time with
// betweenPieces run between pieces (a yield point; it may throw). A missing
// file holds none. Empty text on success, else why the file could not be read.
QString ReadMboxIdentities(const QString &mboxPath, const MboxIdentityReader::Found &found,
                           const std::function<void()> &betweenPieces = {});
