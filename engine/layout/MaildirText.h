#pragma once

#include "engine/message/EnvelopeSkip.h"
#include "engine/message/MessageIdentity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <memory>

class MessageReader;

struct XXH3_state_s;

// A message as a Maildir file holds it: its lines as they are, no quoting,
// each ended by LF (or CR LF), a CR LF or lone CR in the source made one line
// end, a leading "From " envelope line left out. The hash, XXH3-128 with no secret, is of the text with LF line ends,
// so a file names what it holds whichever line ends it was written with, and
// a later run finds the copy by its name alone.
class MaildirText {
public:
    using Sink = std::function<void(QByteArrayView bytes)>;

    MaildirText(bool crlf, Sink sink);
    ~MaildirText();
    // The message from its start, in pieces of any size.
    void feed(QByteArrayView piece);
    // After the last piece.
    void finish();
    // 32 lower-case hex digits, once finished.
    QByteArray hexHash() const;

private:
    void addLines(QByteArrayView text);

    bool crlf_;
    Sink sink_;
    EnvelopeSkip envelope_;
    LineSplitter lines_;
    std::unique_ptr<XXH3_state_s, void (*)(XXH3_state_s *)> state_;
};

// The hash of a message's text as MaildirText makes it, for a run that
// writes nothing. Throws Failure when it cannot be read.
QByteArray maildirHashOf(MessageReader &reader, const std::function<void()> &betweenPieces);
