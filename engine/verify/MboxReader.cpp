#include "engine/verify/MboxReader.h"

#include "engine/message/FromUnquoter.h"
#include "engine/source/MboxSource.h"
#include "engine/verify/LineEndsToLf.h"
#include "engine/verify/PieceReader.h"

namespace {

// Hands each message of an mbox on with the digest of its text, from the
// file's bytes fed in order, once the splitter has said where each lies.
class RecordTexts {
public:
    RecordTexts(const QList<MboxMessage> &messages, bool mozillaStatus, const QString &file,
                const std::function<void(const StoredMessage &)> &each)
        : messages_(messages), mozillaStatus_(mozillaStatus), file_(file), each_(each)
    {
    }

    void feed(QByteArrayView piece, qint64 offset)
    {
        const qint64 pieceEnd = offset + piece.size();
        while (next_ < messages_.size()) {
            const MboxMessage &message = messages_[next_];
            const qint64 from = qMax(offset, textStart(message));
            const qint64 to = qMin(pieceEnd, message.offset + message.length);
            if (from < to)
                text(piece.sliced(from - offset, to - from));
            if (message.offset + message.length > pieceEnd)
                return;
            finishMessage(message);
        }
    }

    void finish()
    {
        // Only a message that ends beyond the bytes fed is left: a file that shrank.
        while (next_ < messages_.size())
            finishMessage(messages_[next_]);
    }

private:
    qint64 textStart(const MboxMessage &message) const
    {
        return message.offset + (mozillaStatus_ ? message.statusLength : 0);
    }

    void text(QByteArrayView bytes)
    {
        unquoter_.feed(bytes, toDigest_);
    }

    void finishMessage(const MboxMessage &message)
    {
        unquoted_.resize(0);
        unquoter_.finish(unquoted_);
        lineEnds_.feed(unquoted_, [this](QByteArrayView lf) { digest_.add(lf); });
        lineEnds_ = {};
        StoredMessage stored;
        stored.file = file_;
        stored.offset = message.recordOffset;
        stored.whole = message.closed;
        stored.digest = digest_.finish();
        each_(stored);
        ++next_;
    }

    const QList<MboxMessage> &messages_;
    const bool mozillaStatus_;
    const QString file_;
    const std::function<void(const StoredMessage &)> &each_;
    const std::function<void(QByteArrayView)> toDigest_ = [this](QByteArrayView unquoted) {
        lineEnds_.feed(unquoted, [this](QByteArrayView lf) { digest_.add(lf); });
    };
    qsizetype next_ = 0;
    FromUnquoter unquoter_;
    LineEndsToLf lineEnds_;
    DigestBuilder digest_;
    QByteArray unquoted_;
};

} // namespace

QString MboxReader::read(const QString &container, const std::function<void(const StoredMessage &)> &each,
                         Yielder &yielder) const
{
    // Split first, then read again for the texts: the second pass finds the file in the cache.
    const MboxMessages split = messagesOfMbox(container, yielder);
    if (!split.failure.isEmpty())
        return split.failure;
    RecordTexts texts(split.messages, mozillaStatus_, container, each);
    const QString failure = readInPieces(container, [&](QByteArrayView piece, qint64 offset) { texts.feed(piece, offset); }, yielder);
    if (!failure.isEmpty())
        return failure;
    texts.finish();
    return {};
}

QString MboxReader::placeOf(const StoredMessage &message) const
{
    return QStringLiteral("the record at byte %1 of %2").arg(message.offset).arg(message.file);
}

QList<StoredMessage> MboxReader::messagesIn(const QList<QByteArrayView> &pieces, bool mozillaStatus)
{
    QByteArray whole;
    for (const QByteArrayView piece : pieces)
        whole += piece;
    const MboxMessages split = messagesOfMbox(whole);
    QList<StoredMessage> messages;
    const std::function<void(const StoredMessage &)> each = [&](const StoredMessage &message) { messages.append(message); };
    RecordTexts texts(split.messages, mozillaStatus, {}, each);
    qint64 offset = 0;
    for (const QByteArrayView piece : pieces) {
        texts.feed(piece, offset);
        offset += piece.size();
    }
    texts.finish();
    return messages;
}
