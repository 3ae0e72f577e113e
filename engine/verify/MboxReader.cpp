#include "engine/verify/MboxReader.h"

#include "engine/verify/LineEndsToLf.h"
#include "engine/verify/PieceReader.h"

#include <QList>
#include <cstring>

namespace {

constexpr char FromSpace[] = "From ";
constexpr int FromSpaceLength = 5;
constexpr QByteArrayView StatusNames[] = {"X-Mozilla-Status:", "X-Mozilla-Status2:"};

// Takes LF text (LineEndsToLf's stretches) and hands on each record.
class RecordSplitter {
public:
    RecordSplitter(bool mozillaStatus, const QString &file, std::function<void(const StoredMessage &)> each)
        : mozillaStatus_(mozillaStatus), file_(file), each_(std::move(each))
    {
    }

    // The piece the next stretches come from, and its offset in the file.
    void beginPiece(QByteArrayView piece, qint64 offset)
    {
        piece_ = piece;
        pieceOffset_ = offset;
    }

    void feed(QByteArrayView text)
    {
        const char *p = text.data();
        const char *const end = p + text.size();
        while (p < end) {
            if (atLineStart_) {
                p = lineStart(p, end);
                if (atLineStart_)
                    return;
            }
            const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            const char *stop = lf ? lf + 1 : end;
            if (!skippingLine_)
                content(QByteArrayView(p, stop - p));
            p = stop;
            if (lf)
                newLine();
        }
    }

    void finish()
    {
        if (atLineStart_)
            releaseHeld();
        endRecord();
    }

private:
    void newLine()
    {
        atLineStart_ = true;
        skippingLine_ = !inRecord_;
        quotes_ = 0;
        matched_ = 0;
        status_.clear();
        lineOffset_ = -1;
    }

    qint64 offsetOf(const char *p) const
    {
        const char *const first = piece_.data();
        return p >= first && p < first + piece_.size() ? pieceOffset_ + (p - first) : -1;
    }

    // Decides, from a line's first bytes, whether it is a separator, a quoted
    // From line, a status line or other text. Returns what it consumed;
    // atLineStart_ stays true while undecided.
    const char *lineStart(const char *p, const char *const end)
    {
        if (lineOffset_ < 0)
            lineOffset_ = offsetOf(p);
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

    // A line's last LF is held back until more text follows: the last one
    // before the next separator closes the record and is not the message's.
    void content(QByteArrayView text)
    {
        if (text.isEmpty())
            return;
        if (pendingBreak_) {
            digest_.add("\n");
            pendingBreak_ = false;
        }
        if (text.back() == '\n') {
            text.chop(1);
            pendingBreak_ = true;
        }
        digest_.add(text);
    }

    const bool mozillaStatus_;
    const QString file_;
    const std::function<void(const StoredMessage &)> each_;
    QByteArrayView piece_;
    qint64 pieceOffset_ = 0;

    bool inRecord_ = false;
    StoredMessage record_;
    DigestBuilder digest_;
    bool pendingBreak_ = false;

    bool atLineStart_ = true;
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
    LineEndsToLf lineEnds;
    const QString failure = readInPieces(container, [&](QByteArrayView piece, qint64 offset) {
        splitter.beginPiece(piece, offset);
        lineEnds.feed(piece, [&](QByteArrayView text) { splitter.feed(text); });
    }, yielder);
    if (!failure.isEmpty())
        return failure;
    splitter.finish();
    return {};
}

QString MboxReader::placeOf(const StoredMessage &message) const
{
    return QStringLiteral("the record at byte %1 of %2").arg(message.offset).arg(message.file);
}

QList<StoredMessage> MboxReader::messagesIn(QByteArrayView mbox, bool mozillaStatus)
{
    QList<StoredMessage> messages;
    RecordSplitter splitter(mozillaStatus, {}, [&](const StoredMessage &message) { messages.append(message); });
    LineEndsToLf lineEnds;
    splitter.beginPiece(mbox, 0);
    lineEnds.feed(mbox, [&](QByteArrayView text) { splitter.feed(text); });
    splitter.finish();
    return messages;
}
