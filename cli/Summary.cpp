#include "cli/Summary.h"

#include "cli/Figures.h"
#include "engine/support/FileDescriptor.h"

#include <cerrno>

namespace {

QString Files(qsizetype count)
{
    return CountOf(count, "mbox file", "mbox files");
}

QString Problems(const RunTally &tally)
{
    QString line;
    if (tally.skipped > 0)
        line += QStringLiteral("; %1 skipped as %2").arg(tally.skipped).arg(QLatin1String(tally.skipped == 1 ? "a duplicate" : "duplicates"));
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
    line += QStringLiteral("converted %1 of %2 into %3 (%4) in %5 s")
                .arg(tally.written)
                .arg(CountOf(tally.listed, "message", "messages"))
                .arg(Files(tally.Mboxes().size()), SizeText(tally.bytes),
                     QString::number(double(elapsedMs) / 1000.0, 'f', 1));
    return line + Problems(tally);
}

QString DryRunSummaryLine(const RunTally &tally, qsizetype mboxFiles)
{
    return QStringLiteral("would convert %1 into %2; nothing written").arg(CountOf(tally.listed - tally.skipped, "message", "messages"), Files(mboxFiles))
         + Problems(tally);
}

QString DiskStopLine(int error, int notTried)
{
    return QStringLiteral("quorvel-convert: stopped: %1; %2 messages not tried. %3, then run the same command "
                          "again with --skip-duplicates to add them")
        .arg(SystemReason(error).toLower())
        .arg(notTried)
        .arg(error == EROFS ? QStringLiteral("Make the destination writable") : QStringLiteral("Make room"));
}
