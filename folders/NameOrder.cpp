#include "folders/NameOrder.h"

namespace {

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char32_t Folded(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
    return QChar::toCaseFolded(char32_t(c));
}

qsizetype SkipZeros(QStringView s, qsizetype i)
{
    while (i < s.size() && s[i] == u'0')
        ++i;
    return i;
}

qsizetype DigitsEnd(QStringView s, qsizetype i)
{
    while (i < s.size() && IsDigit(s[i].unicode()))
        ++i;
    return i;
}

// Compares the digit runs starting at i and j by value and moves both past them.
int CompareNumbers(QStringView a, qsizetype &i, QStringView b, qsizetype &j)
{
    const qsizetype ai = SkipZeros(a, i), bj = SkipZeros(b, j);
    const qsizetype ae = DigitsEnd(a, ai), be = DigitsEnd(b, bj);
    i = ae;
    j = be;
    if (ae - ai != be - bj)
        return ae - ai < be - bj ? -1 : 1;
    for (qsizetype k = 0; k < ae - ai; ++k) {
        if (a[ai + k] != b[bj + k])
            return a[ai + k] < b[bj + k] ? -1 : 1;
    }
    return 0;
}

} // namespace

int CompareNames(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char16_t ca = a[i].unicode(), cb = b[j].unicode();
        if (IsDigit(ca) && IsDigit(cb)) {
            if (const int order = CompareNumbers(a, i, b, j))
                return order;
            continue;
        }
        const char32_t fa = Folded(ca), fb = Folded(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b);
}
