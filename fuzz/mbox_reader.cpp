// The mbox reader that --skip-duplicates runs over an existing mbox, on any
// bytes (truncated records, binary, huge lines, thousands of ">"): it gives
// one identity for each message the splitter finds, at its separator, and
// that identity is the one of the message's text unquoted and read whole,
// however the splitter's reads are cut and whether or not the reader may
// hold bytes back. And the input taken as a message, written as a record
// with either line ends, reads back with the message's own identity: writer
// and reader agree on quoting.
#include "engine/mbox/MboxIdentities.h"
#include "engine/support/Yielder.h"
#include "FuzzCheck.h"
#include "Records.h"

#include <cstdint>
#include <cstring>

namespace {

struct Found {
    QList<QByteArray> identities;
    QList<qint64> offsets;
    bool operator==(const Found &other) const { return identities == other.identities && offsets == other.offsets; }
};

// The splitter's reads cut to lengths drawn from the input itself, so a
// finding replays the same; its looks ahead, of a few bytes, get all they ask for.
Found read(QByteArrayView mbox, DuplicateRule rule, quint32 maxPiece, qint64 heldAtMost)
{
    quint32 state = 2166136261u;
    for (char c : mbox)
        state = (state ^ quint8(c)) * 16777619u;
    const MboxBytesAt bytesAt = [&](qint64 offset, char *target, qint64 length, qint64 &got) {
        if (length > 8) {
            state = state * 1103515245u + 12345u;
            length = qMin<qint64>(length, 1 + (state >> 16) % maxPiece);
        }
        got = qBound<qint64>(0, mbox.size() - offset, length);
        std::memcpy(target, mbox.data() + offset, size_t(got));
        return 0;
    };
    Found found;
    NoYield yielder;
    const QString failure = identitiesOfMbox(bytesAt, mbox.size(), [&](const QByteArray &identity, qint64 offset) {
        found.identities.append(identity);
        found.offsets.append(offset);
    }, rule, yielder, heldAtMost);
    require(failure.isEmpty(), "bytes in memory are read");
    return found;
}

// A message's text unquoted whole, a line at a time into its identity.
QByteArray identityOfText(QByteArrayView text, DuplicateRule rule)
{
    QByteArray unquoted;
    FromUnquoter unquoter;
    unquoter.feed(text, unquoted);
    unquoter.finish(unquoted);
    MessageIdentity identity(rule);
    LineSplitter lines;
    lines.feed(unquoted, [&](QByteArrayView line) { identity.add(line); }, [&] { identity.endLine(); });
    return identity.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<MboxMessage> messages = messagesOfMbox(input).messages;
    for (const DuplicateRule rule : {DuplicateRule::ExactCopy, DuplicateRule::MessageId}) {
        Found expected;
        for (const MboxMessage &message : messages) {
            expected.identities.append(identityOfText(input.sliced(message.offset, message.length), rule));
            expected.offsets.append(message.recordOffset);
        }
        require(read(input, rule, quint32(qMax<qsizetype>(1, input.size())), MboxIdentityReader::DefaultHeldAtMost) == expected,
                "each message the splitter finds, with its text's identity");
        require(read(input, rule, 64, MboxIdentityReader::DefaultHeldAtMost) == expected, "the same in pieces cut anywhere");
        require(read(input, rule, 64, 0) == expected, "the same when all is read again");
    }

    static const QDateTime date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    for (const bool lf : {false, true}) {
        const QByteArray record = mboxRecord(QStringLiteral("s@x.org"), date, input, lf);
        const Found back = read(record, DuplicateRule::ExactCopy, 64, MboxIdentityReader::DefaultHeldAtMost);
        require(back.offsets == QList<qint64>{0} && back.identities.first() == identityOfMessage(input),
                "a record reads back as its message");
    }
    return 0;
}
