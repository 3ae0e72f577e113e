#include "window/reports/ConversionReport.h"

#include "engine/api/Conversion.h"
#include "window/RunTimeError.h"
#include "engine/support/ShownName.h"
#include "window/dialogs/Dialogs.h"
#include "window/reports/FirstLines.h"

#include <cerrno>
#include <limits>

namespace {
constexpr int ListedFailures = 20;
constexpr int ListedNotes = 20;
constexpr qsizetype Everything = std::numeric_limits<qsizetype>::max();
const QString Crlf = QStringLiteral("\r\n");
const QString Lf = QStringLiteral("\n");

QString stopSentence(const ConversionResult &result)
{
    const QString condition = result.stoppedBy == EROFS ? QStringLiteral("The destination is on a read-only file system")
                            : result.stoppedBy == EDQUOT ? QStringLiteral("Your disk quota is used up")
                                                         : QStringLiteral("The disk is full");
    if (result.notTried == 0)
        return condition + QLatin1Char('.');
    return condition + QStringLiteral(": the conversion stopped, and the remaining %1 %2 not tried.")
                           .arg(result.notTried)
                           .arg(QLatin1String(result.notTried == 1 ? "message was" : "messages were"));
}

QString outcome(const ConversionResult &result, qsizetype listed, const QString &lineEnd)
{
    if (result.succeeded())
        return QStringLiteral("Export Completed Successfully !") + lineEnd
            + QStringLiteral("Your data has been successfully exported to .mbox format "
                             "(Compatible for Mac Mail, Entourage, Thunderbird, Evolution etc).")
            + lineEnd;
    if (result.total == 0)
        return QStringLiteral("There was nothing to convert: the list of messages is empty.") + lineEnd;

    QString text = QStringLiteral("%1 of %2 messages were exported to .mbox format.")
                       .arg(result.written).arg(result.total) + lineEnd;
    if (result.stoppedBy != 0)
        text += stopSentence(result) + lineEnd;
    if (result.failures.isEmpty())
        return text;
    QStringList failures;
    for (const ConversionFailure &failure : result.failures)
        failures.append(shownName(failure.path) + QStringLiteral(": ") + shownName(windowText(failure.cause, failure.reason)));
    return text + lineEnd + QStringLiteral("Not exported:") + lineEnd + firstLines(failures, listed, lineEnd);
}

QString notes(const ConversionResult &result, qsizetype listed, const QString &lineEnd)
{
    if (result.notes.isEmpty())
        return {};
    QStringList notes;
    for (const ConversionNote &note : result.notes)
        notes.append(shownName(note.path) + QStringLiteral(": ") + shownName(note.text));
    return lineEnd + QStringLiteral("Notes:") + lineEnd + firstLines(notes, listed, lineEnd);
}
}

QString conversionReport(const ConversionResult &result)
{
    return outcome(result, ListedFailures, Crlf);
}

QString conversionReportNotes(const ConversionResult &result)
{
    return notes(result, ListedNotes, Crlf);
}

QString conversionReportDetails(const ConversionResult &result)
{
    if (result.failures.isEmpty() && result.notes.isEmpty())
        return {};
    return outcome(result, Everything, Lf) + notes(result, Everything, Lf);
}

int conversionReportStyle(const ConversionResult &result)
{
    return result.succeeded() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation;
}
