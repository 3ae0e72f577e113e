#include "window/MainWindow.h"

#include "window/reports/ConversionReport.h"
#include "engine/run/ConversionRun.h"
#include "window/reports/AddFolderReport.h"
#include "window/dialogs/Dialogs.h"
#include "engine/support/ReportFile.h"

void MainWindow::ShowConversionReport(const ConversionResult &result)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = ConversionReport(result) + ConversionReportNotes(result);
    const QString details = ConversionReportDetails(result);
    if (!details.isEmpty())
        text += crlf + SavedReportLine(SaveReport(QStringLiteral("conversion"), details)) + crlf;
    MsgBox(text, ConversionReportStyle(result), ApplicationTitle(), details);
}

void MainWindow::ShowAddFolderReport(int added, const Collection<SkippedFolder> &skipped)
{
    QString text = AddFolderReport(added, skipped);
    const QString details = AddFolderReportDetails(added, skipped);
    if (!details.isEmpty())
        text += QStringLiteral("\n\n") + SavedReportLine(SaveReport(QStringLiteral("add-folder"), details));
    MsgBox(text, skipped.Count() > 0 ? MsgBoxStyle::Exclamation : MsgBoxStyle::OkOnly, ApplicationTitle(), details);
}
