// The mbox reader that --skip-duplicates runs over an existing mbox, on any
// bytes (truncated records, binary, huge lines, thousands of ">"): every
// record it reports begins at a "From " line start, in order, and it reports
// the same whether the file comes whole or in pieces cut anywhere. And the
// input taken as a message, written as a record with either line ends, reads
// back with the message's own identity: writer and reader agree on quoting.
#include "engine/mbox/MboxIdentities.h"
#include "engine/mbox/MboxRecord.h"
#include "FuzzCheck.h"

#include <cstdint>

namespace {

struct Found {
    QList<QByteArray> identities;
    QList<qint64> offsets;
    bool operator==(const Found &other) const { return identities == other.identities && offsets == other.offsets; }
};

// Piece lengths drawn from the input itself, so a finding replays the same.
Found read(QByteArrayView mbox, DuplicateRule rule, bool inPieces)
{
    Found found;
    MboxIdentityReader reader([&](const QByteArray &identity, qint64 offset) {
        found.identities.append(identity);
        found.offsets.append(offset);
    }, rule);
    if (inPieces)
        feedInPieces(mbox, 64, [&](QByteArrayView piece) { reader.feed(piece); });
    else
        reader.feed(mbox);
    reader.finish();
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const DuplicateRule rule : {DuplicateRule::ExactCopy, DuplicateRule::MessageId}) {
        const Found whole = read(input, rule, false);
        qint64 last = -1;
        for (qint64 offset : whole.offsets) {
            require(offset > last && offset + 5 <= input.size() && input.sliced(offset).startsWith("From "),
                    "a record begins at a \"From \" line, after the one before");
            require(offset == 0 || input[offset - 1] == '\n' || input[offset - 1] == '\r', "at the start of a line");
            last = offset;
        }
        require(read(input, rule, true) == whole, "the same in pieces cut anywhere");
    }

    static const QDateTime date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    for (const bool lf : {false, true}) {
        const QByteArray record = buildRecord(QStringLiteral("s@x.org"), date, input, lf);
        const Found back = read(record, DuplicateRule::ExactCopy, true);
        require(back.offsets == QList<qint64>{0} && back.identities.first() == identityOfMessage(input),
                "a record reads back as its message");
    }
    return 0;
}
