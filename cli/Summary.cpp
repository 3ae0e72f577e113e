#include "cli/Summary.h"

#include "cli/Figures.h"
#include "engine/support/FileDescriptor.h"

#include <cerrno>

namespace {

QString problems(const RunTally &tally)
{
    QString line;
    if (tally.skipped > 0)
        line += QStringLiteral("; %1 skipped as %2").arg(tally.skipped).arg(QLatin1String(tally.skipped == 1 ? "a duplicate" : "duplicates"));
    const int failedMessages = tally.failedMessages();
    const qsizetype otherFailures = tally.failures().size() - failedMessages;
    if (failedMessages > 0)
        line += QStringLiteral("; %1 failed").arg(failedMessages);
    if (otherFailures > 0)
        line += QStringLiteral("; %1 other %2").arg(otherFailures).arg(QLatin1String(otherFailures == 1 ? "error" : "errors"));
    if (!tally.failures().isEmpty())
        line += QStringLiteral(", see above");
    if (!tally.leftOut.isEmpty())
        line += QStringLiteral("; %1 left out, not taken for messages (-v names each and why)").arg(countOf(tally.leftOut.size(), "file", "files"));
    return line;
}

} // namespace

QString summaryLine(const RunTally &tally, qint64 elapsedMs)
{
    QString line = tally.interrupted ? QStringLiteral("stopped: ") : QString();
    line += QStringLiteral("converted %1 of %2 into %3 (%4) in %5 s")
                .arg(tally.written)
                .arg(countOf(tally.listed, "message", "messages"))
                .arg(tally.targets(tally.mboxes().size()), sizeText(tally.bytes),
                     QString::number(double(elapsedMs) / 1000.0, 'f', 1));
    line += problems(tally);
    if (tally.verifyRan) {
        line += QStringLiteral("; verified %1 of %2").arg(tally.verified).arg(tally.verifyChecked);
        if (!tally.mismatches().isEmpty())
            line += QStringLiteral(", %1 not found as written").arg(tally.mismatches().size());
        if (!tally.verifyWarnings().isEmpty())
            line += QStringLiteral("; ") + countOf(tally.verifyWarnings().size(), "warning", "warnings");
        if (!tally.mismatches().isEmpty() || !tally.verifyWarnings().isEmpty())
            line += QStringLiteral(", see above");
    }
    return line;
}

QString dryRunSummaryLine(const RunTally &tally, qsizetype mboxFiles)
{
    return QStringLiteral("would convert %1 into %2; nothing written").arg(countOf(tally.listed - tally.skipped, "message", "messages"), tally.targets(mboxFiles))
         + problems(tally);
}

QString diskStopLine(int error, int notTried)
{
    return QStringLiteral("quorvel-convert: stopped: %1; %2 messages not tried. %3, then run the same command "
                          "again with --skip-duplicates to add them")
        .arg(systemReason(error).toLower())
        .arg(notTried)
        .arg(error == EROFS ? QStringLiteral("Make the destination writable") : QStringLiteral("Make room"));
}
