#include "engine/walk/NameOrder.h"

#include <QStringView>
#include <algorithm>
#include <string>
#include <string_view>

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char32_t folded(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
    return QChar::toCaseFolded(char32_t(c));
}

// A name's key, as bytes that compare with memcmp: each other UTF-16 unit
// case-folded (two bytes, high first: folding a unit of the Basic Multilingual
// Plane stays in it), and each run of digits as a mark ('0', which no
// other letter folds to), the count of its digits without leading zeros (four
// bytes), then those digits. Keys compare in the order described for
// nameOrderOf: a number against a letter compares as any of its digits
// would, and two numbers by length, then digit by digit.
void appendKey(QStringView name, std::string &key)
{
    const qsizetype size = name.size();
    size_t at = key.size();
    key.resize(at + 2 * size_t(size) + 6 * size_t((size + 1) / 2));  // the most a name can need
    char *const out = key.data();
    const auto put16 = [&](char32_t unit) {
        out[at++] = char(unit >> 8);
        out[at++] = char(unit);
    };
    for (qsizetype i = 0; i < size;) {
        const char16_t c = name[i].unicode();
        if (!isDigit(c)) {
            put16(folded(c));
            ++i;
            continue;
        }
        while (i < size && name[i] == u'0')
            ++i;
        const qsizetype first = i;
        while (i < size && isDigit(name[i].unicode()))
            ++i;
        const auto digits = quint32(i - first);
        put16(U'0');
        for (int shift = 24; shift >= 0; shift -= 8)
            out[at++] = char(digits >> shift);
        for (qsizetype k = first; k < i; ++k)
            out[at++] = char(name[k].unicode());
    }
    key.resize(at);
}

} // namespace

std::vector<size_t> nameOrderOf(const std::vector<QString> &names)
{
    // All keys in one buffer: one allocation per folder, not one per name.
    struct Keyed {
        size_t begin;
        size_t length;
        size_t name;
    };
    std::string keys;
    std::vector<Keyed> keyed(names.size());
    for (size_t k = 0; k < names.size(); ++k) {
        const size_t begin = keys.size();
        appendKey(names[k], keys);
        keyed[k] = {begin, keys.size() - begin, k};
    }
    const std::string_view all(keys);
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed &a, const Keyed &b) {
        if (const int byKey = all.substr(a.begin, a.length).compare(all.substr(b.begin, b.length)))
            return byKey < 0;
        return names[a.name] < names[b.name];
    });
    std::vector<size_t> order(names.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = keyed[k].name;
    return order;
}
