#include "engine/verify/MboxReader.h"

#include "engine/verify/PieceReader.h"

#include <QList>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char FromSpace[] = "From ";
constexpr int FromSpaceLength = 5;
constexpr QByteArrayView StatusNames[] = {"X-Mozilla-Status:", "X-Mozilla-Status2:"};

// The first CR or LF from p on, or end.
const char *findBreak(const char *p, const char *const end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))))
            return p + __builtin_ctz(unsigned(hits));
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

// Takes an mbox file's bytes piece by piece and hands on each record. A line
// ends at CR LF, a lone CR or LF, and each becomes LF.
class RecordSplitter {
public:
    RecordSplitter(bool mozillaStatus, const QString &file, std::function<void(const StoredMessage &)> each)
        : mozillaStatus_(mozillaStatus), file_(file), each_(std::move(each))
    {
    }

    void feed(QByteArrayView piece, qint64 offset)
    {
        const char *const begin = piece.data();
        const char *p = begin;
        const char *const end = p + piece.size();
        if (afterCr_ && p < end) {
            afterCr_ = false;
            if (*p == '\n')
                ++p;
        }
        while (p < end) {
            if (atLineStart_) {
                if (lineOffset_ < 0)
                    lineOffset_ = offset + (p - begin);
                p = lineStart(p, end);
                if (atLineStart_)
                    return;
            }
            const char *brk = findBreak(p, end);
            if (!skippingLine_)
                content(QByteArrayView(p, brk - p));
            if (brk == end)
                return;
            if (*brk == '\r') {
                if (brk + 1 == end)
                    afterCr_ = true;
                else if (brk[1] == '\n')
                    ++brk;
            }
            p = brk + 1;
            lineBreak();
        }
    }

    void finish()
    {
        if (atLineStart_)
            releaseHeld();
        endRecord();
    }

private:
    void lineBreak()
    {
        // A record's last line break is its closing empty line's: each is held
        // back until more text follows.
        if (!skippingLine_) {
            if (pendingBreak_)
                digest_.add("\n");
            pendingBreak_ = true;
        }
        atLineStart_ = true;
        skippingLine_ = !inRecord_;
        quotes_ = 0;
        matched_ = 0;
        if (!status_.isEmpty())
            status_.clear();
        lineOffset_ = -1;
    }

    // Decides, from a line's first bytes, whether it is a separator, a quoted
    // From line, a status line or other text. Returns what it consumed;
    // atLineStart_ stays true while undecided.
    const char *lineStart(const char *p, const char *const end)
    {
        // Most lines show at their first byte that they are text.
        if (quotes_ == 0 && matched_ == 0 && status_.isEmpty() && *p != '>' && *p != 'F' && !(statusLinesLeft_ > 0 && *p == 'X')) {
            decide(false);
            return p;
        }
        while (p < end) {
            const char c = *p;
            if (statusLinesLeft_ > 0 && (c == 'X' || !status_.isEmpty()) && quotes_ == 0 && matched_ == 0) {
                status_.append(c);
                bool prefix = false;
                for (int k = 0; k < 2; ++k) {
                    if (!statusLeft_[k] || !StatusNames[k].startsWith(status_))
                        continue;
                    if (status_.size() == StatusNames[k].size()) {
                        statusLeft_[k] = false;
                        --statusLinesLeft_;
                        decide(true);
                        return p + 1;
                    }
                    prefix = true;
                }
                if (prefix) {
                    ++p;
                    continue;
                }
                status_.chop(1);
                releaseHeld();
                return p;
            }
            if (matched_ == 0 && c == '>') {
                ++quotes_;
                ++p;
                continue;
            }
            if (c != FromSpace[matched_]) {
                releaseHeld();
                return p;
            }
            ++p;
            if (++matched_ < FromSpaceLength)
                continue;
            if (quotes_ == 0) {
                separator();
            } else {
                --quotes_;
                releaseHeld();
            }
            return p;
        }
        return p;
    }

    void decide(bool skipLine)
    {
        atLineStart_ = false;
        skippingLine_ = skipLine || !inRecord_;
        if (!skipLine && statusLinesLeft_ > 0)
            statusLinesLeft_ = 0;  // only the lines straight after the separator
    }

    // The line's held first bytes are message text.
    void releaseHeld()
    {
        decide(false);
        if (skippingLine_)
            return;
        for (qint64 left = quotes_; left > 0;) {
            static const QByteArray quotes(256, '>');
            const qint64 step = qMin<qint64>(left, quotes.size());
            content(QByteArrayView(quotes.constData(), step));
            left -= step;
        }
        content(QByteArrayView(FromSpace, matched_));
        content(status_);
    }

    void separator()
    {
        endRecord();
        inRecord_ = true;
        record_ = {};
        record_.file = file_;
        record_.offset = lineOffset_;
        statusLinesLeft_ = mozillaStatus_ ? 2 : 0;
        statusLeft_[0] = statusLeft_[1] = true;
        atLineStart_ = false;
        skippingLine_ = true;  // the rest of the separator line
    }

    void endRecord()
    {
        if (!inRecord_)
            return;
        // The record's last line break is its closing empty line's.
        record_.whole = pendingBreak_;
        pendingBreak_ = false;
        record_.digest = digest_.finish();
        each_(record_);
        inRecord_ = false;
    }

    void content(QByteArrayView text)
    {
        if (text.isEmpty())
            return;
        if (pendingBreak_) {
            digest_.add("\n");
            pendingBreak_ = false;
        }
        digest_.add(text);
    }

    const bool mozillaStatus_;
    const QString file_;
    const std::function<void(const StoredMessage &)> each_;

    bool inRecord_ = false;
    StoredMessage record_;
    DigestBuilder digest_;
    bool pendingBreak_ = false;

    bool atLineStart_ = true;
    bool afterCr_ = false;      // a CR ended the last piece: an LF first in the next belongs to it
    bool skippingLine_ = true;  // text before the first separator belongs to no record
    qint64 lineOffset_ = -1;
    qint64 quotes_ = 0;         // the line's leading ">"s, held
    int matched_ = 0;           // then this much of "From ", held
    QByteArray status_;         // or this much of a status line's name, held
    int statusLinesLeft_ = 0;
    bool statusLeft_[2] = {false, false};
};

} // namespace

QString MboxReader::read(const QString &container, const std::function<void(const StoredMessage &)> &each,
                         Yielder &yielder) const
{
    RecordSplitter splitter(mozillaStatus_, container, each);
    const QString failure = readInPieces(container, [&](QByteArrayView piece, qint64 offset) { splitter.feed(piece, offset); }, yielder);
    if (!failure.isEmpty())
        return failure;
    splitter.finish();
    return {};
}

QString MboxReader::placeOf(const StoredMessage &message) const
{
    return QStringLiteral("the record at byte %1 of %2").arg(message.offset).arg(message.file);
}

QList<StoredMessage> MboxReader::messagesIn(const QList<QByteArrayView> &pieces, bool mozillaStatus)
{
    QList<StoredMessage> messages;
    RecordSplitter splitter(mozillaStatus, {}, [&](const StoredMessage &message) { messages.append(message); });
    qint64 offset = 0;
    for (const QByteArrayView piece : pieces) {
        splitter.feed(piece, offset);
        offset += piece.size();
    }
    splitter.finish();
    return messages;
}
