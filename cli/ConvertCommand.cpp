#include "cli/ConvertCommand.h"

#include "cli/CommandObserver.h"
#include "cli/Console.h"
#include "cli/Destination.h"
#include "cli/Figures.h"
#include "cli/JsonReport.h"
#include "cli/PathList.h"
#include "cli/RunTally.h"
#include "cli/SignalYielder.h"
#include "cli/SourceList.h"
#include "cli/Summary.h"
#include "engine/layout/MaildirIndex.h"
#include "engine/layout/MaildirNaming.h"
#include "engine/layout/MaildirText.h"
#include "engine/mbox/MboxAppender.h"
#include "engine/run/ConversionRun.h"
#include "engine/run/DuplicateCheck.h"
#include "engine/support/Failure.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/RunTimeError.h"
#include "engine/support/ShownName.h"

#include <QElapsedTimer>
#include <QSet>

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

// Every message and its target, named on stdout, or with --skip-duplicates
// the copy it would be skipped for; nothing is written.
void dryRun(const SourceListing &listing, const CommandOptions &options, RunTally &tally, Console &console)
{
    QSet<QString> mboxFiles;
    KnownIdentities known(options.duplicates);
    MaildirIndex maildirs;
    SignalYielder yielder;
    for (const ListedMessage &message : listing.messages) {
        try {
            if (options.layout == OutputLayout::Maildir) {
                const QString folder = maildirTargetFor(options.naming, message.path, message.nameStart).folder;
                if (options.skipDuplicates) {
                    const QByteArray hash = maildirHashOf(message.path, [&] { yielder.yield(); });
                    if (const QString copy = maildirs.copyOf(folder, hash); !copy.isEmpty()) {
                        const qint64 offset = copy.startsWith(folder) ? 0 : KnownIdentities::ListedEarlier;
                        tally.noteSkipped(message.path, copy, offset);
                        console.out(skippedText(message.path, offset < 0 ? folder : copy, offset));
                        continue;
                    }
                    maildirs.add(folder, hash, {}, QStringLiteral("-"));
                }
                mboxFiles.insert(folder);
                console.out(shownName(message.path) + QStringLiteral(" -> ") + shownName(folder));
                continue;
            }
            const QString mbox = options.naming.targetFor(message.path, message.nameStart).file;
            const qint64 copy = options.skipDuplicates ? findCopyOf(message.path, mbox, known, [&] { yielder.yield(); })
                                                       : KnownIdentities::NotThere;
            if (copy != KnownIdentities::NotThere) {
                tally.noteSkipped(message.path, mbox, copy);
                console.out(skippedText(message.path, mbox, copy));
                continue;
            }
            mboxFiles.insert(mbox);
            console.out(shownName(message.path) + QStringLiteral(" -> ") + shownName(mbox));
        } catch (const RunTimeError &) {
            fail(tally, console, RunTally::FailureKind::Message, message.path, noMboxNameReason());
        } catch (const Failure &error) {
            fail(tally, console, RunTally::FailureKind::Message, message.path, error.reason());
        } catch (const Interrupted &) {
            tally.interrupted = true;
            return;
        }
    }
    if (!options.quiet)
        console.error(dryRunSummaryLine(tally, mboxFiles.size()));
}

void convert(const SourceListing &listing, const CommandOptions &options, RunTally &tally, Console &console,
             const QElapsedTimer &clock)
{
    QList<ConversionEntry> entries;
    entries.reserve(listing.messages.size());
    for (const ListedMessage &message : listing.messages)
        entries.append({message.path, {}, message.nameStart});
    const ConversionRules rules{.naming = options.naming,
                                .layout = options.layout,
                                .lfLineEnds = options.lineEnds == LineEnds::Lf,
                                .skipDuplicates = options.skipDuplicates,
                                .duplicates = options.duplicates,
                                .unread = options.unread};

    CommandObserver observer(entries, tally, console, options.verbose, clock);
    SignalYielder yielder([&observer] { observer.tick(); });
    try {
        const ConversionResult result = convertEntries(entries, rules, observer, yielder);
        if (result.stoppedBy != 0) {
            tally.stoppedBy = systemReason(result.stoppedBy);
            tally.notTried = result.notTried;
            console.error(diskStopLine(result.stoppedBy, result.notTried));
        }
        // The messages' failures came through the observer.
        for (const ConversionFailure &failure : result.failures)
            if (failure.kind == ConversionFailure::Kind::Flush)
                fail(tally, console, RunTally::FailureKind::Mbox, failure.path, failure.reason);
    } catch (const Interrupted &) {
        tally.interrupted = true;
        // A Maildir's files were synced by the run itself, on its way out.
        if (options.layout != OutputLayout::Maildir)
            for (const RunTally::Mbox &mbox : tally.mboxes())
                if (const QString reason = flushToDisk(mbox.path); !reason.isEmpty())
                    fail(tally, console, RunTally::FailureKind::Mbox, mbox.path, reason);
    }
}

} // namespace

int runConvertCommand(CommandOptions options)
{
    QElapsedTimer clock;
    clock.start();
    catchStopSignals();
    Console console(wantsStatusLine(options));
    RunTally tally;
    tally.maildir = options.layout == OutputLayout::Maildir;
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
    if (const QString problem = destinationProblem(options); !problem.isEmpty())
        return refuse(problem);

    SourceListing listing;
    try {
        SignalYielder yielder;
        listing = listSources(options.sources, yielder,
                              [&](int messages, int folders) { console.status(foundText(messages, folders)); });
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

    if (!tally.interrupted) {
        if (options.dryRun)
            dryRun(listing, options, tally, console);
        else
            convert(listing, options, tally, console, clock);
    }
    console.clearStatus();

    if (!options.reportFile.isEmpty() && !options.dryRun)
        if (const QString reason = writeJsonReport(options.reportFile, tally); !reason.isEmpty())
            fail(tally, console, RunTally::FailureKind::Mbox, options.reportFile, QStringLiteral("cannot write the report: ") + reason);
    if (!options.quiet && !options.dryRun)
        console.error(summaryLine(tally, clock.elapsed()));
    const bool outputLost = !console.outputLost().isEmpty();
    if (outputLost)
        console.error(QStringLiteral("quorvel-convert: standard output: ") + console.outputLost());

    if (tally.interrupted)
        return ExitStopped;
    if (outputLost)
        return ExitSomeFailed;
    if (options.dryRun)
        return tally.failures().isEmpty() ? ExitDone : ExitSomeFailed;
    return tally.clean() ? ExitDone : ExitSomeFailed;
}
