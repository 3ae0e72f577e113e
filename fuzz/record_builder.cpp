// The record writer on any message, with CR LF and with LF line ends: after
// mboxrd unquoting (one '>' off every line that is ">"s then "From ") the body
// is the message with its line ends normalised as MboxRecord.h says, less a
// leading envelope line; and no line but the separator starts with "From ".
// Fed in pieces cut anywhere, the record is the same as for the whole message.
#include "engine/mbox/MboxRecord.h"
#include "engine/message/EnvelopeLine.h"
#include "FuzzCheck.h"
#include "Records.h"

#include <cstdint>

namespace {

// Line ends (CR LF, lone CR, lone LF) become lineEnd; a message that does not
// end in one gets one.
QByteArray normalised(QByteArrayView message, QByteArrayView lineEnd)
{
    QByteArray out;
    bool endsWithBreak = false;
    for (qsizetype i = 0; i < message.size(); ++i) {
        if (message[i] == '\r' || message[i] == '\n') {
            out.append(lineEnd);
            if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n')
                ++i;
            endsWithBreak = true;
        } else {
            out.append(message[i]);
            endsWithBreak = false;
        }
    }
    if (!message.isEmpty() && !endsWithBreak)
        out.append(lineEnd);
    return out;
}

bool isLineStart(QByteArrayView text, qsizetype i)
{
    return i == 0 || text[i - 1] == '\n' || (text[i - 1] == '\r' && text[i] != '\n');
}

QByteArray unquoted(QByteArrayView body)
{
    QByteArray out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == '>' && isLineStart(body, i)) {
            qsizetype p = i;
            while (p < body.size() && body[p] == '>')
                ++p;
            if (body.sliced(p).startsWith("From "))
                continue;
        }
        out.append(body[i]);
    }
    return out;
}

// Piece lengths from 1 to 16 bytes.
QByteArray fedInPieces(QByteArrayView message, bool lf)
{
    QByteArray record = separatorLine(QStringLiteral("s@x.org"), QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC), lf);
    OutputPieces out(7, [&](QByteArrayView piece) { record.append(piece); });
    RecordBody quoter(out, lf);
    feedInPieces(message, 16, [&](QByteArrayView piece) { quoter.feed(piece); });
    quoter.finish();
    out.flush();
    return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString sender = QStringLiteral("s@x.org");
    static const QDateTime date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    const QByteArrayView message(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArrayView withoutEnvelope = message.sliced(findEnvelopeLine(message).lengthWithBreak);
    for (const bool lf : {false, true}) {
        const QByteArrayView lineEnd = lf ? QByteArrayView("\n") : QByteArrayView("\r\n");
        const QByteArray record = mboxRecord(sender, date, message, lf);
        const QByteArray separator = separatorLine(sender, date, lf);
        require(record.startsWith(separator) && record.size() >= separator.size() + lineEnd.size()
                    && record.endsWith(lineEnd), "separator line, body, closing line");
        require(!lf || !record.contains('\r'), "no CR in a record of LF lines");
        for (qsizetype i = 1; i < record.size(); ++i)
            require(!isLineStart(record, i) || !record.sliced(i).startsWith("From "), "no other line starts with \"From \"");

        const QByteArrayView body = QByteArrayView(record).sliced(separator.size(), record.size() - separator.size() - lineEnd.size());
        require(unquoted(body) == normalised(withoutEnvelope, lineEnd), "unquoted body is the normalised message");
        require(fedInPieces(message, lf) == record, "the record is the same fed in pieces");
    }
    return 0;
}
