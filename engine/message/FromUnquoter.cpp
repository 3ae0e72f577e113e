#include "engine/message/FromUnquoter.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

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

constexpr QByteArrayView FromSpace("From ");

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
        // Only a line that starts with ">" can be a quoted "From ": its start
        // is counted, not held, until judged (a line of a million ">"s too).
        if (atLineStart_ && (quotes_ > 0 || data[at] == '>')) {
            for (; at < size; ++at) {
                const char c = data[at];
                if (matched_ == 0 && c == '>') {
                    ++quotes_;
                } else if (c != FromSpace[matched_]) {
                    break;
                } else if (++matched_ == FromSpace.size()) {
                    ++at;
                    --quotes_;
                    break;
                }
            }
            if (at == size && matched_ < FromSpace.size())
                return;  // not judged yet: the next piece goes on with it
            // The byte that decided a plain start is left to the stretch below.
            emitStart(emit);
            atLineStart_ = false;
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

// The ">"s counted, and as much of "From " as followed them.
void FromUnquoter::emitStart(const std::function<void(QByteArrayView)> &emit)
{
    static const QByteArray quotes(4096, '>');
    for (qint64 left = quotes_; left > 0; left -= quotes.size())
        emit(QByteArrayView(quotes).first(qMin<qint64>(left, quotes.size())));
    emit(FromSpace.first(matched_));
    quotes_ = 0;
    matched_ = 0;
}

void FromUnquoter::finish(QByteArray &out)
{
    emitStart([&out](QByteArrayView text) { out.append(text); });
    atLineStart_ = true;
}
