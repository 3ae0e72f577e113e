#pragma once

#include <QString>

// A message file is one whose path, lower-cased and stripped of surrounding
// spaces, ends in ".eml". The whole path is tested, so a file named just
// ".eml" counts too. Only ASCII letters lower-case to 'e', 'm' and 'l', so the
// test folds ASCII alone and copies nothing.
inline bool isMessagePath(const QString &path)
{
    qsizetype begin = 0, end = path.size();
    while (begin < end && path.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && path.at(end - 1) == QLatin1Char(' '))
        --end;
    if (end - begin < 4)
        return false;
    const auto lower = [&](qsizetype i) { return char16_t(path.at(i).unicode() | 0x20); };
    return path.at(end - 4) == QLatin1Char('.') && lower(end - 3) == u'e' && lower(end - 2) == u'm'
           && lower(end - 1) == u'l';
}
