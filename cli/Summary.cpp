#include "cli/Summary.h"

#include "cli/Figures.h"

namespace {

QString Files(qsizetype count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" mbox file") : QStringLiteral(" mbox files"));
}

QString Problems(const RunTally &tally)
{
    QString line;
    if (tally.skipped > 0)
        line += QStringLiteral("; %1 skipped as duplicates").arg(tally.skipped);
    const int failedMessages = tally.FailedMessages();
    const qsizetype otherFailures = tally.Failures().size() - failedMessages;
    if (failedMessages > 0)
        line += QStringLiteral("; %1 failed").arg(failedMessages);
    if (otherFailures > 0)
        line += QStringLiteral("; %1 other %2").arg(otherFailures).arg(QLatin1String(otherFailures == 1 ? "error" : "errors"));
    if (!tally.Failures().isEmpty())
        line += QStringLiteral(", see above");
    return line;
}

} // namespace

QString SummaryLine(const RunTally &tally, qint64 elapsedMs)
{
    QString line = tally.interrupted ? QStringLiteral("stopped: ") : QString();
    line += QStringLiteral("converted %1 of %2 messages into %3 (%4) in %5 s")
                .arg(tally.written)
                .arg(tally.listed)
                .arg(Files(tally.Mboxes().size()), SizeText(tally.bytes),
                     QString::number(double(elapsedMs) / 1000.0, 'f', 1));
    return line + Problems(tally);
}

QString DryRunSummaryLine(const RunTally &tally, qsizetype mboxFiles)
{
    return QStringLiteral("would convert %1 messages into %2; nothing written").arg(tally.listed - tally.skipped).arg(Files(mboxFiles))
         + Problems(tally);
}
