#include "window/MainWindow.h"

#include "engine/api/Conversion.h"
#include "window/reports/ReportFile.h"
#include "window/dialogs/Dialogs.h"
#include "window/reports/AddFolderReport.h"
#include "window/reports/ConversionReport.h"

void MainWindow::showConversionReport(const ConversionResult &result)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = conversionReport(result) + conversionReportNotes(result);
    const QString details = conversionReportDetails(result);
    if (!details.isEmpty())
        text += crlf + savedReportLine(saveReport(QStringLiteral("conversion"), details)) + crlf;
    showBox(text, conversionReportStyle(result), applicationTitle(), details);
}

void MainWindow::showAddFolderReport(int added, const Collection<SkippedFolder> &skipped)
{
    QString text = addFolderReport(added, skipped);
    const QString details = addFolderReportDetails(added, skipped);
    if (!details.isEmpty())
        text += QStringLiteral("\n\n") + savedReportLine(saveReport(QStringLiteral("add-folder"), details));
    showBox(text, skipped.count() > 0 ? MsgBoxStyle::Exclamation : MsgBoxStyle::OkOnly, applicationTitle(), details);
}
