#include "engine/message/FromUnquoter.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// How a line's start reads: a quoted "From ", not one, or not known yet.
enum class Verdict { Quoted, Plain, Undecided };

// The first LF in [p, end) that ">" follows, or null.
const char *findQuotedLine(const char *p, const char *const end)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), quote = _mm_set1_epi8('>');
    for (; end - p >= 17; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
        if (const int hits = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, lf), _mm_cmpeq_epi8(next, quote))))
            return p + __builtin_ctz(unsigned(hits));
    }
#endif
    for (; end - p >= 2; ++p)
        if (p[0] == '\n' && p[1] == '>')
            return p;
    return nullptr;
}

Verdict judge(QByteArrayView start)
{
    qsizetype at = 0;
    while (at < start.size() && start[at] == '>')
        ++at;
    if (at == 0)
        return Verdict::Plain;
    const QByteArrayView rest = start.sliced(at);
    static constexpr QByteArrayView From("From ");
    if (rest.size() >= From.size())
        return rest.startsWith(From) ? Verdict::Quoted : Verdict::Plain;
    return From.startsWith(rest) ? Verdict::Undecided : Verdict::Plain;
}

} // namespace

void FromUnquoter::feed(QByteArrayView piece, QByteArray &out)
{
    feed(piece, [&out](QByteArrayView text) { out.append(text); });
}

void FromUnquoter::feed(QByteArrayView piece, const std::function<void(QByteArrayView)> &emit)
{
    const char *const data = piece.data();
    const qsizetype size = piece.size();
    qsizetype at = 0;
    while (at < size) {
        // Only a line that starts with ">" can be a quoted "From ": it is held until judged.
        if (atLineStart_ && (!held_.isEmpty() || data[at] == '>')) {
            Verdict verdict = Verdict::Undecided;
            while (verdict == Verdict::Undecided && at < size) {
                held_ += data[at++];
                verdict = judge(held_);
            }
            if (verdict == Verdict::Undecided)
                return;
            emit(verdict == Verdict::Quoted ? QByteArrayView(held_).sliced(1) : QByteArrayView(held_));
            atLineStart_ = held_.endsWith('\n');
            held_.resize(0);
            continue;
        }
        // Everything else goes out in one stretch, up to the next line that starts with ">".
        const qsizetype from = at;
        const char *quote = findQuotedLine(data + at, data + size);
        if (quote) {
            at = quote - data + 1;
            atLineStart_ = true;
        } else {
            at = size;
            atLineStart_ = data[size - 1] == '\n';
        }
        emit(QByteArrayView(data + from, at - from));
    }
}

void FromUnquoter::finish(QByteArray &out)
{
    out += held_;
    held_.resize(0);
    atLineStart_ = true;
}
