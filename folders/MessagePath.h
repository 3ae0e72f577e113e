#pragma once

#include <QString>

// A message file is one whose path, lower-cased and stripped of surrounding
// spaces, ends in ".eml". The whole path is tested, so a file named just
// ".eml" counts too.
inline bool IsMessagePath(const QString &path)
{
    qsizetype begin = 0, end = path.size();
    while (begin < end && path.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && path.at(end - 1) == QLatin1Char(' '))
        --end;
    const qsizetype tail = qMin<qsizetype>(4, end - begin);
    return path.mid(end - tail, tail).toLower() == QLatin1String(".eml");
}
