#include "folders/AddFolderReport.h"

QString AddFolderReport(int added, const Collection<SkippedFolder> &skipped)
{
    QString text = QString::number(added) + QStringLiteral(" Files Added to List.");
    if (skipped.Count() == 0)
        return text;
    text += QStringLiteral("\n\nThese folders could not be read and were skipped:");
    const int listed = qMin(skipped.Count(), MaxListedSkippedFolders);
    for (int k = 1; k <= listed; ++k)
        text += QLatin1Char('\n') + skipped.Item(k).path + QStringLiteral(" (") + skipped.Item(k).reason
                + QLatin1Char(')');
    if (skipped.Count() > listed)
        text += QStringLiteral("\n... and ") + QString::number(skipped.Count() - listed) + QStringLiteral(" more.");
    return text;
}
