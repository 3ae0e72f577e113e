#include "engine/layout/ModifiedUtf7.h"

namespace {

bool printable(char16_t c)
{
    return c >= 0x20 && c <= 0x7e;
}

} // namespace

QByteArray modifiedUtf7(const QString &name)
{
    QByteArray out;
    out.reserve(name.size());
    qsizetype at = 0;
    while (at < name.size()) {
        const char16_t c = name[at].unicode();
        if (c == u'&') {
            out += "&-";
            ++at;
        } else if (printable(c)) {
            out += char(c);
            ++at;
        } else {
            qsizetype end = at;
            while (end < name.size() && !printable(name[end].unicode()))
                ++end;
            QByteArray utf16;
            utf16.reserve((end - at) * 2);
            for (qsizetype k = at; k < end; ++k) {
                const char16_t unit = name[k].unicode();
                utf16 += char(unit >> 8);
                utf16 += char(unit & 0xff);
            }
            QByteArray encoded = utf16.toBase64(QByteArray::OmitTrailingEquals);
            encoded.replace('/', ',');
            out += '&' + encoded + '-';
            at = end;
        }
    }
    return out;
}
