#include "convert/ConversionReport.h"

#include "convert/ConversionRun.h"
#include "modules/Dialogs.h"
#include "modules/FirstLines.h"

namespace {
constexpr int ListedFailures = 20;
}

QString ConversionReport(const ConversionResult &result)
{
    const QString crlf = QStringLiteral("\r\n");
    if (result.Succeeded())
        return QStringLiteral("Export Completed Successfully !") + crlf
            + QStringLiteral("Your data has been successfully exported to .mbox format "
                             "(Compatible for Mac Mail, Entourage, Thunderbird, Evolution etc).")
            + crlf;
    if (result.total == 0)
        return QStringLiteral("There was nothing to convert: the list of messages is empty.") + crlf;

    QString text = QStringLiteral("%1 of %2 messages were exported to .mbox format.")
                       .arg(result.written).arg(result.total) + crlf;
    if (result.failures.isEmpty())
        return text;
    QStringList failures;
    for (const ConversionFailure &failure : result.failures)
        failures.append(failure.path + QStringLiteral(": ") + failure.reason);
    return text + crlf + QStringLiteral("Not exported:") + crlf + FirstLines(failures, ListedFailures, crlf);
}

int ConversionReportStyle(const ConversionResult &result)
{
    return result.Succeeded() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation;
}
