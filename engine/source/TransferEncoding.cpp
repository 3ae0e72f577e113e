#include "engine/source/TransferEncoding.h"

namespace {

QByteArray base64Lines(const QByteArray &bytes, const QByteArray &lineEnd)
{
    const QByteArray encoded = bytes.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / 76 * lineEnd.size() + lineEnd.size());
    for (qsizetype at = 0; at < encoded.size(); at += 76) {
        if (at > 0)
            out += lineEnd;
        out += encoded.mid(at, 76);
    }
    return out;
}

QByteArray quotedPrintable(const QByteArray &bytes, const QByteArray &lineEnd)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3 / 2);
    int column = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        const bool last = at + 1 == bytes.size();
        // A blank is literal unless the encoded line would end with it.
        const bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
        const int width = literal ? 1 : 3;
        if (column + width > 75) {
            out += '=';
            out += lineEnd;
            column = 0;
        }
        if (literal) {
            out += char(c);
        } else {
            out += '=';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
        column += width;
    }
    return out;
}

} // namespace

QByteArray encodeForTransfer(const QByteArray &bytes, const QByteArray &encoding, const QByteArray &lineEnd)
{
    if (encoding == "base64")
        return base64Lines(bytes, lineEnd);
    if (encoding == "quoted-printable")
        return quotedPrintable(bytes, lineEnd);
    return bytes;
}
