#include "engine/mbox/BodyQuoter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr const char *FromSpace = FromLineStart::FromSpace;

// The first CR or LF from p on, or end.
const char *findBreak(const char *p, const char *const end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
        if (hits)
            return p + __builtin_ctz(unsigned(hits));
        p += 16;
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

// From p, in the middle of a line, past the lines that go out as they came:
// each ends in the break the output keeps (CR LF, or with lfLineEnds a lone
// LF) and the next starts with neither ">" nor "From " nor a break. Returns
// the first break that needs a look, or where the look stopped, never between
// a CR and its LF. p[-1] must be readable.
[[gnu::noinline]] const char *skipPlainLines(const char *p, const char *const end, bool lfLineEnds)
{
#if defined(__SSE2__)
    const char *const from = p;
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    const __m128i quote = _mm_set1_epi8('>'), f = _mm_set1_epi8('F');
    auto special = [&](__m128i v) {
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, f)),
                            _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
    };
    auto load = [](const char *at) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at)); };
    for (; end - p >= 18; p += 16) {
        const __m128i here = load(p);
        const __m128i crs = _mm_cmpeq_epi8(here, cr), lfs = _mm_cmpeq_epi8(here, lf);
        const __m128i breaks = _mm_or_si128(crs, lfs);
        if (_mm_movemask_epi8(breaks) == 0)
            continue;  // most blocks lie inside a line
        const __m128i next = load(p + 1);
        __m128i kept;  // the breaks that go out as they came
        if (lfLineEnds) {
            kept = _mm_andnot_si128(special(next), lfs);
        } else {
            const __m128i crlf = _mm_and_si128(crs, _mm_cmpeq_epi8(next, lf));
            const __m128i keptCr = _mm_andnot_si128(special(load(p + 2)), crlf);
            const __m128i afterCr = _mm_and_si128(lfs, _mm_cmpeq_epi8(load(p - 1), cr));
            kept = _mm_or_si128(keptCr, _mm_andnot_si128(special(next), afterCr));
        }
        if (const int hits = _mm_movemask_epi8(_mm_andnot_si128(kept, breaks)))
            return p + __builtin_ctz(unsigned(hits));
    }
    if (p > from && p[-1] == '\r')
        --p;
    return p;
#else
    Q_UNUSED(end) Q_UNUSED(lfLineEnds)
    return p;
#endif
}

} // namespace

void BodyQuoter::feed(QByteArrayView piece)
{
    bytesIn_ += piece.size();
    envelope_.feed(piece, [this](QByteArrayView text) { feedLines(text); });
}

// The held first bytes of a line, from earlier pieces, go out.
void BodyQuoter::releaseHeld(bool quote)
{
    if (quote)
        out_.append('>');
    out_.repeat('>', start_.quotes());
    out_.append(FromSpace, start_.matched());
}

void BodyQuoter::feedLines(QByteArrayView piece)
{
    // Whether lines can go out as they came shows at the message's first
    // break; a loop that never looks for them is the faster one without.
    if (breaks_ == Breaks::Unknown) {
        const char *const end = piece.data() + piece.size();
        if (const char *at = findBreak(piece.data(), end); at != end && (*at == '\n' || at + 1 != end)) {
            const bool crlf = *at == '\r' && at[1] == '\n';
            const bool kept = lf_ ? *at == '\n' : crlf;
            breaks_ = kept ? Breaks::Kept : Breaks::Changed;
        }
    }
    if (breaks_ == Breaks::Kept)
        feedLinesLooking<true>(piece);
    else
        feedLinesLooking<false>(piece);
}

template <bool Looking>
void BodyQuoter::feedLinesLooking(QByteArrayView piece)
{
    const char *p = piece.data();
    const char *const end = p + piece.size();
    if (p == end)
        return;
    anyBody_ = true;
    const char *stretch = p;    // bytes from here to p go out as they came
    const char *lineStart = p;  // where the line's first bytes begin in this piece
    bool heldBefore = atLineStart_ && !start_.empty();
    const FromLineStart startBefore = start_;

    bool look = true;  // false once a break the output changes is met

    // The line's start is decided: a ">" before it or not.
    auto decide = [&](bool quote) {
        if (quote || heldBefore) {
            out_.append(stretch, lineStart - stretch);
            stretch = lineStart;
            if (lineStart == piece.data()) {
                start_ = startBefore;
                releaseHeld(quote);
            } else if (quote) {
                out_.append('>');
            }
        }
        heldBefore = false;
        atLineStart_ = false;
        start_.reset();
    };

    while (p < end) {
        if (afterCr_) {
            afterCr_ = false;
            if (*p == '\n') {
                lineStart = ++p;
                continue;
            }
            out_.append(stretch, p - stretch);
            out_.append('\n');
            stretch = p;
        }
        if (atLineStart_) {
            const FromLineStart::Verdict verdict = start_.step(*p);
            if (verdict != FromLineStart::Verdict::Other) {
                ++p;
                endsWithBreak_ = false;
                if (verdict == FromLineStart::Verdict::FromLine)
                    decide(true);
                continue;
            }
            decide(false);
        }
        // Most lines need no look of their own: they are passed over sixteen bytes at a time.
        // In a message whose breaks all change (LF into CR LF, or the other
        // way) no line goes out as it came: the first look that finds so is the last.
        if (Looking && look && p > piece.data()) {
            if (const char *plain = skipPlainLines(p, end, lf_); plain > p) {
                endsWithBreak_ = false;
                p = plain;
            } else if (p[0] == '\r' || p[0] == '\n') {
                look = (*p == '\r') == !lf_ && !(*p == '\r' && end - p > 1 && p[1] != '\n');
            }
        }
        const char *stop = findBreak(p, end);
        if (stop > p) {
            endsWithBreak_ = false;
            p = stop;
        }
        if (p == end)
            break;
        if (*p == '\n' && !lf_) {  // alone: the LF of a CR LF was taken above
            out_.append(stretch, p - stretch);
            out_.append('\r');
            stretch = p;
        }
        if (*p == '\r' && lf_) {  // left out: an LF follows, or is added
            out_.append(stretch, p - stretch);
            stretch = p + 1;
        }
        afterCr_ = *p == '\r';
        endsWithBreak_ = true;
        lineStart = ++p;
        atLineStart_ = true;
    }
    if (!look)
        breaks_ = Breaks::Changed;  // the pieces after this one go without the look
    // A line's first bytes at the end of the piece stay held.
    out_.append(stretch, (atLineStart_ ? lineStart : end) - stretch);
}

void BodyQuoter::finish()
{
    envelope_.finish([this](QByteArrayView text) { feedLines(text); });
    if (afterCr_)
        out_.append('\n');
    else if (atLineStart_)
        releaseHeld(false);
    if (anyBody_ && !endsWithBreak_) {
        if (!lf_)
            out_.append('\r');
        out_.append('\n');
    }
    atLineStart_ = afterCr_ = anyBody_ = false;
    breaks_ = Breaks::Unknown;
    start_.reset();
    endsWithBreak_ = true;
}
