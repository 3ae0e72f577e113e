#pragma once

#include "engine/message/EnvelopeSkip.h"
#include "engine/message/MessageIdentity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <memory>

// A message's hash that anyone can compute again from the file or from its
// mbox record: XXH3-128 with seed 0 of its text with a leading "From "
// envelope line left out, every line end (CR LF, lone CR or LF) made one LF,
// and the line ends at its very end dropped. Unlike MessageIdentity's, the
// value is the same from one run to the next, so a manifest can keep it.
class ContentHash {
public:
    ContentHash();

    // The message's bytes from its start, in pieces of any size.
    void feed(QByteArrayView piece);
    // 32 lower-case hex digits (the canonical, big-endian form).
    QByteArray hex();

private:
    void add(QByteArrayView text);
    void addLines(QByteArrayView text);

    std::unique_ptr<XXH3_state_s, void (*)(XXH3_state_s *)> state_;
    LineSplitter lines_;
    qint64 pendingBreaks_ = 0;
    EnvelopeSkip envelope_;
};

// The same for a message whole.
QByteArray contentHashOf(QByteArrayView message);
