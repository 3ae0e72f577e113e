#include "engine/message/HeaderBlock.h"

#include "engine/message/EnvelopeLine.h"

namespace {

bool isFieldNameChar(char c)
{
    return c > ' ' && c < 127 && c != ':';
}

} // namespace

HeaderBlock::HeaderBlock(QByteArrayView message)
{
    message = message.first(qMin(message.size(), HeaderScanLimit));
    const ::EnvelopeLine envelope = findEnvelopeLine(message);
    envelope_ = envelope.text.toByteArray();

    qsizetype pos = envelope.lengthWithBreak;
    while (pos < message.size()) {
        qsizetype end = pos;
        while (end < message.size() && message[end] != '\r' && message[end] != '\n')
            ++end;
        const QByteArrayView line = message.sliced(pos, end - pos);
        pos = end;
        if (pos < message.size() && message[pos] == '\r')
            ++pos;
        if (pos < message.size() && message[pos] == '\n')
            ++pos;

        if (line.isEmpty())
            break;  // the end of the header block
        if (line[0] == ' ' || line[0] == '\t') {
            if (fields_.isEmpty())
                continue;
            fields_.last().value.append(line.data(), line.size());
            continue;
        }
        qsizetype nameEnd = 0;
        while (nameEnd < line.size() && isFieldNameChar(line[nameEnd]))
            ++nameEnd;
        qsizetype colon = nameEnd;
        while (colon < line.size() && (line[colon] == ' ' || line[colon] == '\t'))
            ++colon;  // obsolete syntax: white space before the colon
        if (nameEnd == 0 || colon >= line.size() || line[colon] != ':') {
            // Archived list mail can carry a second envelope line among its
            // fields; mail readers step over it, and so do we.
            if (findEnvelopeLine(line).present())
                continue;
            break;  // not a header line: the body has begun without an empty line
        }
        fields_.append({line.first(nameEnd).toByteArray().toLower(), line.sliced(colon + 1).toByteArray()});
    }
}

QByteArray HeaderBlock::first(QByteArrayView name) const
{
    const QByteArray lower = name.toByteArray().toLower();
    for (const Field &field : fields_)
        if (field.name == lower)
            return field.value.isNull() ? QByteArray("") : field.value;
    return {};
}
