#include "modules/ShownName.h"

namespace {

constexpr char16_t FirstRawByte = 0xDC80;  // FileNames.h: byte 0x80 read from a name that is not UTF-8

bool NeedsEscape(char16_t unit)
{
    return unit < 0x20 || unit == '\\' || (unit >= 0x7F && unit <= 0x9F) || unit == 0x2028 || unit == 0x2029
        || (unit >= FirstRawByte && unit < FirstRawByte + 0x20);
}

QString Escape(char16_t unit)
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

QString ShownName(const QString &name)
{
    qsizetype first = 0;
    while (first < name.size() && !NeedsEscape(name[first].unicode()))
        ++first;
    if (first == name.size())
        return name;
    QString shown = name.left(first);
    for (qsizetype i = first; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (NeedsEscape(unit))
            shown += Escape(unit);
        else
            shown += name[i];
    }
    return shown;
}
