#include "engine/verify/MboxSplitCheck.h"

#include "engine/verify/FromLineScan.h"

#include <algorithm>
#include <limits>

QString MboxSplitWarning::text() const
{
    switch (kind) {
    case Kind::ReadAsBody:
        return QStringLiteral("line %1 looks like a separator (a \"From \" line, then a header line) but was read "
                              "inside the message before it").arg(line);
    case Kind::NoHeaderAfter:
        return QStringLiteral("line %1 was read as a separator but no header line follows it").arg(line);
    case Kind::NoFromLine:
        return QStringLiteral("byte %1 was read as a message's start but no \"From \" line ends there").arg(offset);
    case Kind::Unreadable:
        break;
    }
    return QStringLiteral("cannot read it a second time to check its separators: ") + reason;
}

QList<MboxSplitWarning> checkMboxSplit(const MboxSplit &split, Yielder &yielder)
{
    QList<qint64> starts = split.starts;
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    QList<MboxSplitWarning> warnings;
    qsizetype next = 0;
    const auto unmatchedBefore = [&](qint64 offset) {
        for (; next < starts.size() && starts[next] < offset; ++next)
            warnings.append({split.path, MboxSplitWarning::Kind::NoFromLine, 0, starts[next]});
    };
    const QString failure = scanFromLines(split.path, [&](const FromLine &line) {
        unmatchedBefore(line.end);
        const bool taken = next < starts.size() && starts[next] == line.end;
        if (taken)
            ++next;
        if (line.headerFollows && !taken)
            warnings.append({split.path, MboxSplitWarning::Kind::ReadAsBody, line.number});
        else if (!line.headerFollows && taken)
            warnings.append({split.path, MboxSplitWarning::Kind::NoHeaderAfter, line.number});
    }, yielder);
    if (!failure.isEmpty())
        return {{split.path, MboxSplitWarning::Kind::Unreadable, 0, -1, failure}};
    unmatchedBefore(std::numeric_limits<qint64>::max());
    return warnings;
}
