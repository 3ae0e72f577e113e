#include "folders/AddFolderReport.h"

#include "modules/FirstLines.h"

QString AddFolderReport(int added, const Collection<SkippedFolder> &skipped)
{
    QString text = QString::number(added) + QStringLiteral(" Files Added to List.");
    if (skipped.Count() == 0)
        return text;
    QStringList folders;
    for (const SkippedFolder &folder : skipped)
        folders.append(folder.path + QStringLiteral(" (") + folder.reason + QLatin1Char(')'));
    text += QStringLiteral("\n\nThese folders could not be read and were skipped:\n");
    text += FirstLines(folders, MaxListedSkippedFolders, QStringLiteral("\n"));
    text.chop(1);
    return text;
}
