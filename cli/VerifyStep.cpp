#include "cli/VerifyStep.h"

#include "cli/Figures.h"
#include "cli/SignalYielder.h"
#include "engine/api/Conversion.h"
#include "engine/support/Failure.h"
#include "engine/support/ShownName.h"

namespace {

constexpr qint64 RedrawIntervalMs = 100;

void verify(const QList<VerifyEntry> &entries, const CommandOptions &options, const Store &store, RunTally &tally,
            MboxSplitChecks &splits, Console &console, const QElapsedTimer &clock, SourceDigests *sources = nullptr)
{
    qint64 lastDrawMs = -RedrawIntervalMs;
    SignalYielder yielder;
    tally.verifyRan = true;
    tally.verifyChecked = int(entries.size());
    if (console.hasStatusLine())
        console.status(QStringLiteral("verifying %1").arg(countOf(entries.size(), "message", "messages")));
    const QList<SourceText> texts = sources ? sources->finish(yielder) : QList<SourceText>();
    const std::unique_ptr<TargetReader> reader = store.reader();
    const VerifyResult result = verifyEntries(entries, {.reader = reader.get(), .duplicates = options.duplicates}, yielder,
                                              [&](int done, int total) {
        if (!console.hasStatusLine() || clock.elapsed() - lastDrawMs < RedrawIntervalMs)
            return;
        lastDrawMs = clock.elapsed();
        console.status(QStringLiteral("verifying %1 of %2").arg(QString::number(done), countOf(total, "message", "messages")));
    }, sources ? &texts : nullptr);
    console.clearStatus();
    tally.verified = result.verified;
    tally.verifyTargets = int(result.targets.size());
    for (const VerifyMismatch &mismatch : result.mismatches) {
        const QString what = mismatchKindName(mismatch.kind);
        tally.mismatched({mismatch.source, mismatch.target, what, mismatch.detail});
        console.error(QStringLiteral("quorvel-convert: ") + shownName(mismatch.source) + QStringLiteral(": verify: ") + what
                      + QStringLiteral(": ") + shownName(mismatch.detail));
    }
    for (const MboxSplitWarning &warning : splits.finish(yielder)) {
        tally.verifyWarned({warning.path, warning.line, warning.text()});
        console.error(QStringLiteral("quorvel-convert: warning: ") + shownName(warning.path) + QStringLiteral(": verify: ")
                      + shownName(warning.text()));
    }
}

} // namespace

QList<MboxSplit> mboxSplitsOf(const QList<ListedMessage> &messages)
{
    QList<MboxSplit> splits;
    QHash<QString, qsizetype> index;
    for (const ListedMessage &message : messages) {
        if (message.kind != SourceKind::Mbox)
            continue;
        if (const auto found = index.constFind(message.source); found != index.cend()) {
            splits[*found].starts.append(message.offset);
        } else {
            index.insert(message.source, splits.size());
            splits.append({message.source, {message.offset}});
        }
    }
    return splits;
}

void verifyRun(const CommandOptions &options, const Store &store, RunTally &tally, SourceDigests &sources,
               MboxSplitChecks &splits, Console &console, const QElapsedTimer &clock)
{
    QList<VerifyEntry> entries;
    entries.reserve(tally.places().size());
    for (const RunTally::Placed &place : tally.places())
        entries.append({place.source, place.target, place.skipped});
    verify(entries, options, store, tally, splits, console, clock, &sources);
}

void verifyDestination(const SourceListing &listing, const CommandOptions &options, const Store &store,
                       RunTally &tally, Console &console, const QElapsedTimer &clock)
{
    // Read beside the messages, which are read on this thread.
    MboxSplitChecks splits(mboxSplitsOf(listing.messages));
    QList<VerifyEntry> entries;
    entries.reserve(listing.messages.size());
    for (const ListedMessage &message : listing.messages) {
        try {
            // Any message may have been skipped for a copy when the destination was written.
            entries.append({message, store.targetOf(message), options.skipDuplicates});
        } catch (const Failure &error) {
            tally.failed(RunTally::FailureKind::Message, message.source, error.reason());
            console.error(QStringLiteral("quorvel-convert: ") + shownName(message.source) + QStringLiteral(": ") + shownName(error.reason()));
        }
    }
    verify(entries, options, store, tally, splits, console, clock);
}

QString verifyOnlySummaryLine(const RunTally &tally, qint64 elapsedMs)
{
    QString line = tally.interrupted ? QStringLiteral("stopped: ") : QString();
    line += QStringLiteral("verified %1 of %2 in %3 in %4 s")
                .arg(tally.verified)
                .arg(countOf(tally.listed, "message", "messages"), tally.targets(tally.verifyTargets),
                     QString::number(double(elapsedMs) / 1000.0, 'f', 1));
    if (!tally.mismatches().isEmpty())
        line += QStringLiteral("; %1 not found as written").arg(tally.mismatches().size());
    if (!tally.failures().isEmpty())
        line += QStringLiteral("; %1 other %2").arg(tally.failures().size()).arg(QLatin1String(tally.failures().size() == 1 ? "error" : "errors"));
    if (!tally.verifyWarnings().isEmpty())
        line += QStringLiteral("; ") + countOf(tally.verifyWarnings().size(), "warning", "warnings");
    if (!tally.mismatches().isEmpty() || !tally.failures().isEmpty() || !tally.verifyWarnings().isEmpty())
        line += QStringLiteral(", see above");
    return line;
}
