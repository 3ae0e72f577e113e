#include "engine/support/ShownName.h"

namespace {

constexpr char16_t FirstRawByte = 0xDC80;  // FileNames.h: byte 0x80 read from a name that is not UTF-8

bool needsEscape(char16_t unit)
{
    return unit < 0x20 || unit == '\\' || (unit >= 0x7F && unit <= 0x9F) || unit == 0x2028 || unit == 0x2029
        || (unit >= FirstRawByte && unit < FirstRawByte + 0x20);
}

QString escape(char16_t unit)
{
    switch (unit) {
    case '\a': return QStringLiteral("\\a");
    case '\b': return QStringLiteral("\\b");
    case '\t': return QStringLiteral("\\t");
    case '\n': return QStringLiteral("\\n");
    case '\v': return QStringLiteral("\\v");
    case '\f': return QStringLiteral("\\f");
    case '\r': return QStringLiteral("\\r");
    case 0x1B: return QStringLiteral("\\e");
    case '\\': return QStringLiteral("\\\\");
    case 0x2028: return QStringLiteral("\\u2028");
    case 0x2029: return QStringLiteral("\\u2029");
    default:
        break;
    }
    const int byte = unit >= FirstRawByte ? unit - FirstRawByte + 0x80 : unit;
    return QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

} // namespace

QString shownName(const QString &name)
{
    QString shown;
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = name[i].unicode();
        // The low half of a pair (U+1F480 ends in 0xDC80) is text, not a raw byte.
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(name[i + 1].unicode());
        if (pair) {
            if (!shown.isNull())
                shown += QStringView(name).mid(i, 2);
            ++i;
            continue;
        }
        if (!needsEscape(unit)) {
            if (!shown.isNull())
                shown += name[i];
            continue;
        }
        // Most names need nothing: copied only from the first escape on.
        if (shown.isNull())
            shown = name.left(i);
        shown += escape(unit);
    }
    return shown.isNull() ? name : shown;
}
