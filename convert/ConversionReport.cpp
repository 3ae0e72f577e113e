#include "convert/ConversionReport.h"

#include "convert/ConversionRun.h"
#include "modules/Dialogs.h"

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
    if (!result.failures.isEmpty())
        text += crlf + QStringLiteral("Not exported:") + crlf;
    const qsizetype listed = qMin<qsizetype>(result.failures.size(), ListedFailures);
    for (qsizetype i = 0; i < listed; ++i)
        text += result.failures[i].path + QStringLiteral(": ") + result.failures[i].reason + crlf;
    if (result.failures.size() > listed)
        text += QStringLiteral("\u2026 and %1 more").arg(result.failures.size() - listed) + crlf;
    return text;
}

int ConversionReportStyle(const ConversionResult &result)
{
    return result.Succeeded() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation;
}
