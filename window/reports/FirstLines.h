#pragma once

#include <QString>
#include <QStringList>

// A long list in a message box: the first `limit` lines, then one line saying
// how many more there are. Every line is followed by lineEnd.
inline QString firstLines(const QStringList &lines, qsizetype limit, const QString &lineEnd)
{
    QString text;
    const qsizetype listed = qMin(lines.size(), limit);
    for (qsizetype i = 0; i < listed; ++i)
        text += lines[i] + lineEnd;
    if (lines.size() > listed)
        text += QStringLiteral("... and ") + QString::number(lines.size() - listed) + QStringLiteral(" more.") + lineEnd;
    return text;
}
