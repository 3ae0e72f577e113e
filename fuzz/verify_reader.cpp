// The verifying reader on whatever the writer makes of any message: read back
// in pieces cut anywhere, with CR LF and with LF line ends, with and without
// Thunderbird's status lines after each separator, the record twice over is
// two whole messages, each the source's text; and a record cut anywhere in
// its message is never taken for it.
#include "engine/verify/MboxReader.h"
#include "engine/verify/SourceDigest.h"
#include "FuzzCheck.h"
#include "Records.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString sender = QStringLiteral("s@x.org");
    static const QDateTime date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    const QByteArrayView message(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray source = digestOfMessage(message).sameText();
    for (const bool lf : {false, true}) {
        for (const bool thunderbird : {false, true}) {
            QByteArray record = mboxRecord(sender, date, message, lf);
            if (thunderbird)
                record.insert(record.indexOf('\n') + 1, lf ? "X-Mozilla-Status: 0001\nX-Mozilla-Status2: 00000000\n"
                                                            : "X-Mozilla-Status: 0001\r\nX-Mozilla-Status2: 00000000\r\n");
            const QByteArray mbox = record + record;
            QList<QByteArrayView> pieces;
            feedInPieces(mbox, 16, [&](QByteArrayView piece) { pieces.append(piece); });
            const QList<StoredMessage> stored = MboxReader::messagesIn(pieces, thunderbird);
            require(stored.size() == 2, "two records");
            for (const StoredMessage &each : stored)
                require(each.whole && each.digest.sameText() == source, "each record is the source's text");
            require(stored[1].offset == record.size(), "the second record starts where the first ends");

            // Cut inside the message: the text is short, or the closing line is gone.
            const qsizetype separator = record.indexOf('\n') + 1;
            if (record.size() > separator + 2) {
                const qsizetype cut = separator + qsizetype(quint8(source[0])) * 7 % (record.size() - separator - 1);
                const QList<StoredMessage> torn = MboxReader::messagesIn({QByteArrayView(record).first(cut)}, thunderbird);
                require(torn.size() == 1 && (!torn[0].whole || torn[0].digest.sameText() != source), "a torn record is not the message");
            }
        }
    }
    return 0;
}
