// The envelope-line reader on any bytes: the line is the start of the
// message up to its first break, and its parts are pieces of it; fed in
// pieces cut anywhere, the message past the line is handed on.
#include "engine/message/EnvelopeLine.h"
#include "engine/message/EnvelopeSkip.h"
#include "engine/message/MailDate.h"
#include "FuzzCheck.h"

#include <cstdint>

namespace {
bool hasBlank(QByteArrayView text)
{
    return text.contains(' ') || text.contains('\t');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView message(reinterpret_cast<const char *>(data), qsizetype(size));
    const EnvelopeLine line = findEnvelopeLine(message);
    if (!line.present()) {
        require(line.text.isEmpty(), "no text without a line");
    } else {
        require(message.startsWith("From ") && message.startsWith(line.text), "the line starts the message");
        require(!line.text.contains('\r') && !line.text.contains('\n'), "no break inside the line");
        const QByteArrayView lineBreak = message.sliced(line.text.size(), line.lengthWithBreak - line.text.size());
        require(lineBreak == "\r\n" || lineBreak == "\r" || lineBreak == "\n"
                    || (lineBreak.isEmpty() && line.lengthWithBreak == message.size()),
                "the line ends in one break or at the end");
    }

    for (const quint32 maxPiece : {1u, 7u, 64u}) {
        QByteArray rest;
        const auto gather = [&rest](QByteArrayView text) { rest.append(text); };
        EnvelopeSkip envelope;
        feedInPieces(message, maxPiece, [&](QByteArrayView piece) { envelope.feed(piece, gather); });
        envelope.finish(gather);
        require(rest == message.sliced(line.lengthWithBreak), "pieces hand on what follows the line");
    }

    const EnvelopeParts parts = splitEnvelopeLine(line.present() ? line.text : message);
    require(!hasBlank(parts.sender), "a sender without blanks");
    require(parts.date == parts.date.trimmed(), "a date without surrounding white space");
    const QByteArrayView whole = line.present() ? line.text : message;
    const qsizetype senderAt = whole.indexOf(parts.sender);
    require(senderAt >= 0 && whole.indexOf(parts.date, senderAt + parts.sender.size()) >= 0,
            "sender and date are pieces of the line, in that order");
    parseMailDate(parts.date);
    return 0;
}
