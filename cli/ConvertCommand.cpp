#include "cli/ConvertCommand.h"

#include "cli/CommandObserver.h"
#include "cli/Console.h"
#include "cli/Destination.h"
#include "cli/Figures.h"
#include "cli/JsonReport.h"
#include "cli/Manifest.h"
#include "cli/PathList.h"
#include "cli/RunTally.h"
#include "cli/SignalYielder.h"
#include "cli/Summary.h"
#include "cli/VerifyStep.h"
#include "engine/api/Conversion.h"
#include "engine/layout/ThunderbirdNaming.h"
#include "engine/layout/ThunderbirdProfile.h"
#include "engine/layout/TopFolderSources.h"
#include "engine/support/Failure.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/ShownName.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <optional>

namespace {

QString foundText(int messages, int folders)
{
    return QStringLiteral("found %1 %2 in %3 %4")
        .arg(countText(messages), QLatin1String(messages == 1 ? "message" : "messages"), countText(folders),
             QLatin1String(folders == 1 ? "folder" : "folders"));
}

bool wantsStatusLine(const CommandOptions &options)
{
    if (options.progress == ProgressMode::Never || !Console::errorIsTerminal())
        return false;
    return options.progress == ProgressMode::Always || !(options.quiet || options.verbose);
}

void fail(RunTally &tally, Console &console, RunTally::FailureKind kind, const QString &path, const QString &reason)
{
    tally.failed(kind, path, reason);
    // A reason may quote a name too (the folder that could not be made).
    console.error(QStringLiteral("quorvel-convert: ") + shownName(path) + QStringLiteral(": ") + shownName(reason));
}

ConversionRules rulesOf(const CommandOptions &options)
{
    return {.naming = options.naming,
            .layout = options.layout,
            .lfLineEnds = options.lineEnds == LineEnds::Lf,
            .skipDuplicates = options.skipDuplicates,
            .duplicates = options.duplicates,
            .contentHashes = !options.manifestFile.isEmpty(),
            .keepFlags = options.keepFlags,
            .unread = options.unread};
}

// The messages in the order the run takes them.
QList<ConversionEntry> entriesOf(const SourceListing &listing, const CommandOptions &options, const Store &store)
{
    if (options.order != WriteOrder::Date)
        return listing.messages;
    SignalYielder yielder;
    return orderedByDate(listing.messages, store, yielder);
}

// What a message that is not a file of its own was taken as, for the dry run: " (mbox, at byte 1234)".
QString takenAs(const ConversionEntry &message)
{
    if (message.kind == SourceKind::Eml)
        return {};
    if (message.kind == SourceKind::Mbox)
        return QStringLiteral(" (mbox, at byte %1)").arg(message.offset);
    return QStringLiteral(" (") + kindName(message.kind) + QLatin1Char(')');
}

// Every message and its target, named on stdout, or with --skip-duplicates
// the copy it would be skipped for; nothing is written.
void dryRun(const QList<ConversionEntry> &messages, const CommandOptions &options, Store &store, RunTally &tally,
            Console &console)
{
    QSet<QString> targets;
    SignalYielder yielder;
    try {
        planRun(messages, store, options.skipDuplicates, yielder, [&](const PlannedMessage &plan) {
            const SourceMessage &message = plan.message;
            if (!plan.failure.isEmpty()) {
                fail(tally, console, RunTally::FailureKind::Message, message.source, plan.failure);
            } else if (!plan.copy.file.isEmpty()) {
                tally.noteSkipped(message.source, plan.copy.file, plan.copy.match);
                console.out(skippedText(message.source, plan.copy.file, plan.copy.match));
            } else {
                targets.insert(plan.target);
                console.out(shownName(message.source) + takenAs(message) + QStringLiteral(" -> ") + shownName(plan.target));
            }
        });
    } catch (const Interrupted &) {
        tally.interrupted = true;
        return;
    }
    if (!options.quiet)
        console.error(dryRunSummaryLine(tally, targets.size()));
}

void convert(const QList<ConversionEntry> &entries, const CommandOptions &options, Store &store, RunTally &tally,
             Console &console, const QElapsedTimer &clock, Manifest *manifest)
{
    const ConversionRules rules = rulesOf(options);
    CommandObserver observer(entries, store, tally, console, options.verbose, clock, manifest);
    SignalYielder yielder([&observer] { observer.tick(); });
    QList<ConversionFailure> flushFailures;
    try {
        const ConversionResult result = convertEntries(entries, store, rules, observer, yielder);
        if (result.stoppedBy != 0) {
            tally.stoppedBy = systemReason(result.stoppedBy);
            tally.notTried = result.notTried;
            console.error(diskStopLine(result.stoppedBy, result.notTried));
        }
        // The messages' failures came through the observer.
        for (const ConversionFailure &failure : result.failures)
            if (failure.kind == ConversionFailure::Kind::Flush)
                flushFailures.append(failure);
    } catch (const Interrupted &) {
        tally.interrupted = true;
        NoYield noYield;
        flushFailures = store.finish(noYield);
    }
    for (const ConversionFailure &failure : std::as_const(flushFailures))
        fail(tally, console, RunTally::FailureKind::Mbox, failure.path, failure.reason);
}

// The profile's Local Folders, or why the run cannot write there.
QString intoProfileProblem(CommandOptions &options)
{
    const ProfileChoice profile = findThunderbirdProfile(QDir::homePath(), options.profile);
    if (!profile.problem.isEmpty())
        return shownName(profile.problem);
    options.profile = profile.path;
    if (QString problem = profileInUseProblem(options); !problem.isEmpty())
        return problem;
    options.naming.destination = localFoldersOf(profile.path);
    if (options.naming.destination.isEmpty())
        return QStringLiteral("the profile %1 has no Local Folders yet: start Thunderbird with it, add an account "
                              "(a newsgroup account is enough), close Thunderbird and run the same command again")
            .arg(shownName(profile.path));
    return {};
}

// Each SOURCE's top folder continues the one an earlier run made from the same
// source, else gets a name not yet in the profile's Local Folders.
TopFolderSources chooseTopFolders(CommandOptions &options, const SourceListing &listing)
{
    TopFolderSources tops(options.naming.destination);
    for (const ListedMessage &message : listing.messages)
        tops.add(message.namedPath(), message.nameStart);
    options.naming.topNames = tops.choose();
    return tops;
}

// What to do with the output in Thunderbird.
void thunderbirdSteps(const CommandOptions &options, const RunTally &tally, Console &console)
{
    if (tally.mboxes().isEmpty())
        return;
    if (options.intoThunderbird) {
        QStringList names(options.naming.topNames.cbegin(), options.naming.topNames.cend());
        names.sort();
        console.error(QStringLiteral("In Thunderbird: Local Folders > ") + names.join(QStringLiteral(", ")));
        return;
    }
    console.error(QStringLiteral(
                      "In Thunderbird: Tools > Import..., Import from another Thunderbird installation, Continue, "
                      "Choose a profile folder, Continue, pick %1, untick all but Mail Messages, Continue, Start Import: "
                      "the folders come under Local Folders > Thunderbird Import > Local Folders. Or, with Thunderbird "
                      "closed, copy what %2 holds into the profile's Mail/Local Folders/")
                      .arg(shownName(options.output), shownName(options.naming.destination)));
}

} // namespace

int runConvertCommand(CommandOptions options)
{
    QElapsedTimer clock;
    clock.start();
    catchStopSignals();
    Console console(wantsStatusLine(options));
    RunTally tally;
    const auto refuse = [&console](const QString &problem) {
        console.error(QStringLiteral("quorvel-convert: ") + problem);
        return ExitUsage;
    };
    if (!options.listFile.isEmpty()) {
        PathList list = readPathList(options.listFile, options.nulSeparated);
        if (!list.problem.isEmpty())
            return refuse(list.problem);
        options.sources += std::move(list.paths);
    }
    if (options.intoThunderbird)
        if (const QString problem = intoProfileProblem(options); !problem.isEmpty())
            return refuse(problem);
    // --verify-only writes nothing, so needs nothing writable.
    if (!options.verifyOnly)
        if (const QString problem = destinationProblem(options); !problem.isEmpty())
            return refuse(problem);

    SourceListing listing;
    try {
        SignalYielder yielder;
        listing = listSources(options.sources, yielder,
                              [&](int messages, int folders) { console.status(foundText(messages, folders)); }, options.onlyEml);
        if (listing.folders > 0 && (console.hasStatusLine() || options.verbose))
            console.error(foundText(int(listing.messages.size()), listing.folders));
    } catch (const Interrupted &) {
        tally.interrupted = true;
    }
    if (const QString problem = reportClash(options, listing); !problem.isEmpty())
        return refuse(problem);
    for (const SkippedFolder &folder : listing.skippedFolders)
        fail(tally, console, RunTally::FailureKind::Folder, folder.path, folder.reason);
    tally.listed = int(listing.messages.size());
    tally.leftOut = listing.leftOut;
    for (const ConversionEntry &message : std::as_const(listing.messages))
        ++tally.sourceKinds[kindName(message.kind)];
    if (options.verbose)
        for (const LeftOutFile &file : std::as_const(listing.leftOut))
            console.error(QStringLiteral("quorvel-convert: ") + shownName(file.path) + QStringLiteral(": left out: ") + file.why);
    // A walk can take minutes: Thunderbird may have been started meanwhile.
    if (!options.verifyOnly)
        if (const QString problem = profileInUseProblem(options); !problem.isEmpty())
            return refuse(problem);
    std::optional<TopFolderSources> tops;
    if (options.intoThunderbird)
        tops = chooseTopFolders(options, listing);

    Manifest manifest;
    if (!options.manifestFile.isEmpty() && !tally.interrupted)
        if (const QString reason = manifest.open(options.manifestFile); !reason.isEmpty())
            return refuse(shownName(options.manifestFile) + QStringLiteral(": cannot write the manifest: ") + reason);
    // Before the first message goes into a new folder: a run stopped after it continues there.
    if (tops && !options.dryRun && !options.verifyOnly && !tally.interrupted)
        if (const QString reason = tops->save(); !reason.isEmpty())
            return refuse(shownName(tops->recordPath()) + QStringLiteral(": ") + reason);

    const std::unique_ptr<Store> store = makeStore(rulesOf(options));
    tally.targetOne = store->targetWord(1);
    tally.targetMany = store->targetWord(2);
    tally.keepPlaces = options.verify;
    std::optional<SourceDigests> sources;
    std::optional<MboxSplitChecks> splits;
    if (options.verify) {
        sources.emplace();
        splits.emplace(mboxSplitsOf(listing.messages));
        tally.onPlaced = [&sources](const SourceMessage &source) { sources->add(source); };
    }
    if (!tally.interrupted) {
        try {
            const QList<ConversionEntry> entries = entriesOf(listing, options, *store);
            if (options.dryRun)
                dryRun(entries, options, *store, tally, console);
            else if (options.verifyOnly)
                verifyDestination(listing, options, *store, tally, console, clock);
            else
                convert(entries, options, *store, tally, console, clock, manifest.isOpen() ? &manifest : nullptr);
            if (options.verify && !tally.interrupted)
                verifyRun(options, *store, tally, *sources, *splits, console, clock);
        } catch (const Interrupted &) {
            tally.interrupted = true;  // also while reading the dates
        }
    }
    tally.onPlaced = {};
    sources.reset();
    splits.reset();
    console.clearStatus();

    if (const QString reason = manifest.finish(); !reason.isEmpty())
        fail(tally, console, RunTally::FailureKind::Mbox, options.manifestFile, QStringLiteral("cannot write the manifest: ") + reason);

    if (!options.reportFile.isEmpty() && !options.dryRun)
        if (const QString reason = writeJsonReport(options.reportFile, tally); !reason.isEmpty())
            fail(tally, console, RunTally::FailureKind::Mbox, options.reportFile, QStringLiteral("cannot write the report: ") + reason);
    if (!options.quiet && options.verifyOnly) {
        console.error(verifyOnlySummaryLine(tally, clock.elapsed()));
    } else if (!options.quiet && !options.dryRun) {
        console.error(summaryLine(tally, clock.elapsed()));
        if (options.thunderbirdTree && !tally.interrupted)
            thunderbirdSteps(options, tally, console);
    }
    const bool outputLost = !console.outputLost().isEmpty();
    if (outputLost)
        console.error(QStringLiteral("quorvel-convert: standard output: ") + console.outputLost());

    if (tally.interrupted)
        return ExitStopped;
    if (outputLost)
        return ExitSomeFailed;
    if (options.dryRun)
        return tally.failures().isEmpty() ? ExitDone : ExitSomeFailed;
    if (options.verifyOnly)
        return tally.failures().isEmpty() && tally.mismatches().isEmpty() && tally.verified == tally.listed ? ExitDone : ExitSomeFailed;
    return tally.clean() ? ExitDone : ExitSomeFailed;
}
