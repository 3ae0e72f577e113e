#include "folders/NameOrder.h"

#include <algorithm>
#include <string_view>

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

// A name's key: its letters case-folded, and each run of digits as a mark
// ('0', which no other letter folds to), the number of its digits without
// leading zeros, then those digits. Keys compare as plain sequences in the
// order described for CompareNames: a number against a letter compares as any
// of its digits would, and two numbers compare by length, then digit by digit.
void AppendKey(QStringView name, std::u32string &key)
{
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size;) {
        const char16_t c = name[i].unicode();
        if (!IsDigit(c)) {
            key.push_back(Folded(c));
            ++i;
            continue;
        }
        while (i < size && name[i] == u'0')
            ++i;
        const qsizetype first = i;
        while (i < size && IsDigit(name[i].unicode()))
            ++i;
        key.push_back(U'0');
        key.push_back(char32_t(i - first));
        for (qsizetype k = first; k < i; ++k)
            key.push_back(name[k].unicode());
    }
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

int CompareNames(QStringView a, QStringView b)
{
    std::u32string keyA, keyB;
    AppendKey(a, keyA);
    AppendKey(b, keyB);
    if (const int order = keyA.compare(keyB))
        return Sign(order);
    return Sign(a.compare(b));
}

std::vector<size_t> NameOrderOf(const std::vector<QString> &names)
{
    // All keys in one buffer: one allocation per folder, not one per name.
    std::u32string keys;
    std::vector<size_t> ends(names.size());
    for (size_t k = 0; k < names.size(); ++k) {
        AppendKey(names[k], keys);
        ends[k] = keys.size();
    }
    const auto keyOf = [&](size_t k) {
        const size_t begin = k == 0 ? 0 : ends[k - 1];
        return std::u32string_view(keys).substr(begin, ends[k] - begin);
    };
    std::vector<size_t> order(names.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (const int byKey = keyOf(a).compare(keyOf(b)))
            return byKey < 0;
        return names[a] < names[b];
    });
    return order;
}
