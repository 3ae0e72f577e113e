#include "window/reports/AddFolderReport.h"

#include "engine/support/ShownName.h"
#include "window/reports/FirstLines.h"

#include <limits>

namespace {
QString report(int added, const Collection<SkippedFolder> &skipped, qsizetype listed)
{
    QString text = QString::number(added) + QStringLiteral(" Files Added to List.");
    if (skipped.count() == 0)
        return text;
    QStringList folders;
    for (const SkippedFolder &folder : skipped)
        folders.append(shownName(folder.path) + QStringLiteral(" (") + folder.reason + QLatin1Char(')'));
    text += QStringLiteral("\n\nThese folders could not be read and were skipped:\n");
    text += firstLines(folders, listed, QStringLiteral("\n"));
    text.chop(1);
    return text;
}
}

QString addFolderReport(int added, const Collection<SkippedFolder> &skipped)
{
    return report(added, skipped, MaxListedSkippedFolders);
}

QString addFolderReportDetails(int added, const Collection<SkippedFolder> &skipped)
{
    if (skipped.count() == 0)
        return {};
    return report(added, skipped, std::numeric_limits<qsizetype>::max()) + QLatin1Char('\n');
}
