// The record builder on any message: after mboxrd unquoting (one '>' off
// every line that is ">"s then "From ") the body is the message with its line
// ends normalised as MboxRecord.h says, less a leading envelope line; and no
// line but the separator starts with "From ". Fed in pieces cut anywhere, the
// body quoter gives the same bytes as for the whole message.
#include "FuzzCheck.h"
#include "convert/BodyQuoter.h"
#include "convert/EnvelopeLine.h"
#include "convert/MboxRecord.h"

#include <cstdint>

namespace {

// Line ends at CR or CR LF become CR LF; a lone LF stays; a message that does
// not end in such a break gets one.
QByteArray Normalised(QByteArrayView message)
{
    QByteArray out;
    bool endsWithBreak = false;
    for (qsizetype i = 0; i < message.size(); ++i) {
        if (message[i] == '\r') {
            out.append("\r\n");
            if (i + 1 < message.size() && message[i + 1] == '\n')
                ++i;
            endsWithBreak = true;
        } else {
            out.append(message[i]);
            endsWithBreak = false;
        }
    }
    if (!message.isEmpty() && !endsWithBreak)
        out.append("\r\n");
    return out;
}

bool IsLineStart(QByteArrayView text, qsizetype i)
{
    return i == 0 || text[i - 1] == '\n' || (text[i - 1] == '\r' && text[i] != '\n');
}

QByteArray Unquoted(QByteArrayView body)
{
    QByteArray out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == '>' && IsLineStart(body, i)) {
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

// Piece lengths from 1 to 16 bytes, drawn from the message itself, so every
// input cuts its own way and a finding replays the same.
QByteArray FedInPieces(QByteArrayView message)
{
    QByteArray body;
    OutputPieces out(7, [&](QByteArrayView piece) { body.append(piece); });
    BodyQuoter quoter(out);
    quint32 state = 2166136261u;
    for (char c : message)
        state = (state ^ quint8(c)) * 16777619u;
    qsizetype at = 0;
    while (at < message.size()) {
        state = state * 1103515245u + 12345u;
        const qsizetype length = qMin<qsizetype>(1 + (state >> 16) % 16, message.size() - at);
        quoter.Feed(message.sliced(at, length));
        at += length;
    }
    quoter.Finish();
    out.Flush();
    return body;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString sender = QStringLiteral("s@x.org");
    static const QDateTime date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    const QByteArrayView message(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray record = BuildRecord(sender, date, message);

    const QByteArray separator = SeparatorLine(sender, date);
    Require(record.startsWith(separator) && record.size() >= separator.size() + 2 && record.endsWith("\r\n"),
            "separator line, body, closing line");
    for (qsizetype i = 1; i < record.size(); ++i)
        Require(!IsLineStart(record, i) || !record.sliced(i).startsWith("From "), "no other line starts with \"From \"");

    const QByteArrayView body = QByteArrayView(record).sliced(separator.size(), record.size() - separator.size() - 2);
    Require(Unquoted(body) == Normalised(message.sliced(FindEnvelopeLine(message).lengthWithBreak)),
            "unquoted body is the normalised message");
    Require(FedInPieces(message) == body, "the body is the same fed in pieces");
    return 0;
}
