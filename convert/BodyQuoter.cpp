#include "convert/BodyQuoter.h"

#include <cstring>

namespace {

constexpr char FromSpace[] = "From ";
constexpr int FromSpaceLength = 5;

// memchr for one byte value, remembered until passed: the scan of a piece
// stays one pass although two different bytes end a stretch.
class NextByte {
public:
    NextByte(char byte, const char *end) : byte_(byte), end_(end) {}
    const char *From(const char *p)
    {
        if (found_ < p) {
            const void *hit = std::memchr(p, byte_, size_t(end_ - p));
            found_ = hit ? static_cast<const char *>(hit) : end_;
        }
        return found_;
    }

private:
    char byte_;
    const char *end_;
    const char *found_ = nullptr;
};

} // namespace

void BodyQuoter::Feed(QByteArrayView piece)
{
    bytesIn_ += piece.size();
    if (envelope_ != Envelope::Done)
        piece = SkipEnvelope(piece);
    FeedLines(piece);
}

// Returns what is left of the piece once the envelope line is decided on.
QByteArrayView BodyQuoter::SkipEnvelope(QByteArrayView piece)
{
    qsizetype at = 0;
    while (at < piece.size() && envelope_ != Envelope::Done) {
        const char c = piece[at];
        switch (envelope_) {
        case Envelope::Matching:
            if (c != FromSpace[envelopeMatched_]) {
                LeaveEnvelope(QByteArrayView(FromSpace, envelopeMatched_));
                return piece.sliced(at);
            }
            ++at;
            if (++envelopeMatched_ == FromSpaceLength)
                envelope_ = Envelope::Spaces;
            break;
        case Envelope::Spaces:
            if (c == ' ' || c == '\t') {
                envelopeSpaces_.append(c);
                ++at;
            } else if (c == ':') {
                // "From :" is a header field in the obsolete syntax, not an envelope line.
                LeaveEnvelope(QByteArrayView(FromSpace, FromSpaceLength));
                LeaveEnvelope(envelopeSpaces_);
                envelopeSpaces_ = QByteArray();
                return piece.sliced(at);
            } else {
                envelopeSpaces_ = QByteArray();
                envelope_ = Envelope::Skipping;
            }
            break;
        case Envelope::Skipping:
            while (at < piece.size() && piece[at] != '\r' && piece[at] != '\n')
                ++at;
            if (at < piece.size())
                envelope_ = piece[at++] == '\r' ? Envelope::SkippingLf : Envelope::Done;
            break;
        case Envelope::SkippingLf:
            if (c == '\n')
                ++at;
            envelope_ = Envelope::Done;
            break;
        case Envelope::Done:
            break;
        }
    }
    return piece.sliced(at);
}

void BodyQuoter::LeaveEnvelope(QByteArrayView heldBack)
{
    envelope_ = Envelope::Done;
    FeedLines(heldBack);
}

void BodyQuoter::ReleaseLineStart(bool quote)
{
    if (quote)
        out_.Append('>');
    out_.Repeat('>', quotesHeld_);
    out_.Append(FromSpace, fromMatched_);
    atLineStart_ = false;
    quotesHeld_ = 0;
    fromMatched_ = 0;
}

void BodyQuoter::FeedLines(QByteArrayView piece)
{
    const char *p = piece.data();
    const char *const end = p + piece.size();
    if (p == end)
        return;
    anyBody_ = true;
    NextByte nextCr('\r', end), nextLf('\n', end);
    while (p < end) {
        if (afterCr_) {
            afterCr_ = false;
            if (*p == '\n') {
                ++p;
                continue;
            }
        }
        if (atLineStart_) {
            if (fromMatched_ == 0 && *p == '>') {
                ++quotesHeld_;
                ++p;
                endsWithCrBreak_ = false;
                continue;
            }
            if (*p == FromSpace[fromMatched_]) {
                ++p;
                endsWithCrBreak_ = false;
                if (++fromMatched_ == FromSpaceLength)
                    ReleaseLineStart(true);
                continue;
            }
            ReleaseLineStart(false);
        }
        const char *cr = nextCr.From(p);
        const char *lf = nextLf.From(p);
        const char *stop = cr < lf ? cr : lf;
        if (stop > p) {
            out_.Append(p, stop - p);
            endsWithCrBreak_ = false;
            p = stop;
        }
        if (p == end)
            break;
        if (*p == '\r') {
            out_.Append('\r');
            out_.Append('\n');
            afterCr_ = true;
            endsWithCrBreak_ = true;
        } else {
            out_.Append('\n');
            endsWithCrBreak_ = false;
        }
        ++p;
        atLineStart_ = true;
    }
}

void BodyQuoter::Finish()
{
    if (envelope_ == Envelope::Matching)
        LeaveEnvelope(QByteArrayView(FromSpace, envelopeMatched_));
    // Any other unfinished envelope state means the whole message was its envelope line.
    if (atLineStart_)
        ReleaseLineStart(false);
    if (anyBody_ && !endsWithCrBreak_) {
        out_.Append('\r');
        out_.Append('\n');
    }
    envelope_ = Envelope::Done;
    anyBody_ = false;
    endsWithCrBreak_ = true;
}
