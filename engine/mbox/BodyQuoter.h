#pragma once

#include "engine/mbox/FromLineStart.h"
#include "engine/mbox/OutputPieces.h"
#include "engine/message/EnvelopeSkip.h"

#include <QByteArray>
#include <QByteArrayView>

// The body of an mbox record, built from a message fed in pieces of any size:
// the pieces may be cut anywhere, even between CR and LF or inside "From ",
// and the output is the same byte for byte as for the whole message at once.
//
// A line ends at CR LF, a lone CR or a lone LF; every line is written with
// CR LF after it, and a message ending in a break gets no extra empty line.
// A leading "From " envelope line is left out (EnvelopeSkip's rule). A line
// beginning with ">"s then "From " gets one more ">" in front (FromLineStart's
// rule).
//
//     QByteArray body;
//     OutputPieces out(64 * 1024, [&](QByteArrayView piece) { body.append(piece); });
//     BodyQuoter quoter(out);
//     quoter.feed(first); quoter.feed(second); ...
//     quoter.finish();
//     out.flush();
class BodyQuoter {
public:
    // lfLineEnds: every line ends in LF alone instead (a CR of the message is left out).
    explicit BodyQuoter(OutputPieces &out, bool lfLineEnds = false) : out_(out), lf_(lfLineEnds) {}

    void feed(QByteArrayView piece);
    // After the last piece: what was held back to decide on goes to out, which
    // the caller then flushes.
    void finish();

    // Message bytes fed so far.
    qint64 bytesIn() const { return bytesIn_; }

private:
    void feedLines(QByteArrayView piece);
    template <bool Looking>
    void feedLinesLooking(QByteArrayView piece);
    void releaseHeld(bool quote);

    OutputPieces &out_;
    bool lf_;
    qint64 bytesIn_ = 0;

    EnvelopeSkip envelope_;

    // Most bytes go out as they came, in long stretches; only a ">" before a
    // "From " line, an LF after a lone CR and a CR before a lone LF are added.
    // The first bytes of a line are held at the end of a piece until they are
    // known to need the ">" or not; they can only be ">"s and the start of
    // "From ", so counts keep them.
    bool atLineStart_ = true;
    FromLineStart start_;        // the line's first bytes, held
    bool afterCr_ = false;       // a CR went out; an LF next belongs to it
    bool anyBody_ = false;
    enum class Breaks { Unknown, Kept, Changed };
    Breaks breaks_ = Breaks::Unknown;  // what the output does to the message's first break
    bool endsWithBreak_ = false;
};
