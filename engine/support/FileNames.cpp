#include "engine/support/FileNames.h"

#include <algorithm>

namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence starting at p, or 0 when there is none.
// Overlong forms, surrogates and code points past U+10FFFF are not valid.
qsizetype validSequence(const unsigned char *p, const unsigned char *end, char32_t &codePoint)
{
    const unsigned char lead = p[0];
    qsizetype length;
    char32_t value;
    char32_t lowest;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2; value = lead & 0x1F; lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3; value = lead & 0x0F; lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4; value = lead & 0x07; lowest = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if (!isContinuation(p[i]))
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    codePoint = value;
    return length;
}

} // namespace

QString nameFromNative(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    // Most names are ASCII throughout: one scan, one conversion.
    if (std::all_of(p, end, [](unsigned char byte) { return byte < 0x80; }))
        return QString::fromLatin1(bytes.data(), bytes.size());
    QString name;
    name.reserve(bytes.size());
    while (p < end) {
        // Runs of ASCII are the common case.
        const auto *ascii = p;
        while (ascii < end && *ascii < 0x80)
            ++ascii;
        if (ascii > p) {
            name.append(QLatin1StringView(reinterpret_cast<const char *>(p), ascii - p));
            p = ascii;
            continue;
        }
        char32_t codePoint = 0;
        if (const qsizetype length = validSequence(p, end, codePoint)) {
            if (QChar::requiresSurrogates(codePoint)) {
                name.append(QChar(QChar::highSurrogate(codePoint)));
                name.append(QChar(QChar::lowSurrogate(codePoint)));
            } else {
                name.append(QChar(char16_t(codePoint)));
            }
            p += length;
        } else {
            name.append(QChar(char16_t(EscapeBase + *p)));
            ++p;
        }
    }
    return name;
}

QByteArray nativeName(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    const char16_t *p = reinterpret_cast<const char16_t *>(name.utf16());
    const char16_t *const end = p + name.size();
    while (p < end) {
        const char16_t unit = *p++;
        char32_t codePoint = unit;
        if (unit < 0x80) {
            bytes.append(char(unit));
            continue;
        }
        if (QChar::isHighSurrogate(unit) && p < end && QChar::isLowSurrogate(*p)) {
            codePoint = QChar::surrogateToUcs4(unit, *p++);
        } else if (unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF) {
            bytes.append(char(unit - EscapeBase));
            continue;
        } else if (QChar::isSurrogate(unit)) {
            codePoint = 0xFFFD;  // a stray surrogate names no byte
        }
        if (codePoint < 0x800) {
            bytes.append(char(0xC0 | (codePoint >> 6)));
        } else if (codePoint < 0x10000) {
            bytes.append(char(0xE0 | (codePoint >> 12)));
            bytes.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
        } else {
            bytes.append(char(0xF0 | (codePoint >> 18)));
            bytes.append(char(0x80 | ((codePoint >> 12) & 0x3F)));
            bytes.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
        }
        bytes.append(char(0x80 | (codePoint & 0x3F)));
    }
    return bytes;
}
