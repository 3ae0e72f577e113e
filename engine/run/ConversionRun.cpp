#include "engine/run/ConversionRun.h"

#include "engine/layout/FlagLines.h"
#include "engine/layout/ThunderbirdNaming.h"
#include "engine/layout/MaildirNaming.h"
#include "engine/layout/MaildirWriter.h"
#include "engine/mbox/MboxAppender.h"
#include "engine/mbox/MboxRecord.h"
#include "engine/message/ContentHash.h"
#include "engine/message/EnvelopeLine.h"
#include "engine/message/HeaderBlock.h"
#include "engine/message/HeaderSource.h"
#include "engine/message/MessageReader.h"
#include "engine/run/DuplicateCheck.h"
#include "engine/run/EntryReader.h"
#include "engine/run/OwnMboxes.h"
#include "engine/run/RunInProgress.h"
#include "engine/support/CreatePath.h"
#include "engine/support/Yielder.h"

#include <QHash>
#include <QSet>
#include <cerrno>
#include <chrono>
#include <future>
#include <optional>

namespace {

static_assert(MessageReader::PieceSize >= HeaderBlock::HeaderScanLimit, "the header block is read from the first piece");

// Bytes quoted between two looks at the window: the first piece, read whole
// for the header block, is quoted in slices as small as the pieces after it.
constexpr qsizetype QuoteSlice = MessageReader::StreamPieceSize;

struct RunState {
    QStringList mboxFiles;       // in first-use order, for the flush at the end
    QSet<QString> mboxFilesSeen;
    QString lastFolderMade;      // consecutive messages mostly share their folder
    QByteArray piece;            // kept from one message to the next: no allocation per message
    std::optional<MboxAppender> appender;  // the mbox of the last message, mostly the next one's too
    QString lastMboxFile;        // the entry last done, for the observer
    qint64 lastRecordBytes = 0;
    bool lastSkipped = false;    // the entry last done was already in its mbox
    qint64 lastMatch = -1;       // where, when it was
    qint64 lastOffset = -1;      // where the record written begins
    std::optional<MessageFacts> lastFacts;  // of the entry last done, once it was read
    KnownIdentities known;       // with skipDuplicates
    int lastError = 0;           // the errno behind the entry last done's failure, when known
    OwnMboxes ownMboxes;
    QHash<QString, QString> lockFailures;  // by mbox: its lock was waited for in vain
    std::optional<MaildirWriter> maildir;  // with OutputLayout::Maildir, in place of the appender
    QString lastSourceFolder;              // with its listed folder's name start, and the Maildir
    qsizetype lastNameStart = 0;           // folder of the messages in it
    MaildirTarget lastMaildir;
};

// Every later message would fail the same way, each after trying its write.
bool endsTheRun(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EROFS;
}

// A header block starts with a field name and a colon, after any envelope
// line; anything else is not a message on its own, and in an mbox a mail
// program may take it for the end of the record before it.
bool startsWithHeaderField(QByteArrayView message)
{
    message = message.sliced(findEnvelopeLine(message).lengthWithBreak);
    qsizetype at = 0;
    while (at < message.size() && message[at] > ' ' && message[at] <= '~' && message[at] != ':')
        ++at;
    if (at == 0)
        return false;
    while (at < message.size() && (message[at] == ' ' || message[at] == '\t'))
        ++at;
    return at < message.size() && message[at] == ':';
}

OutputTarget targetOf(const ConversionEntry &entry, const ConversionRules &rules)
{
    if (entry.mboxFile.isEmpty())
        return rules.naming.targetFor(entry.namedPath(), entry.nameStart);
    return {entry.mboxFile.left(entry.mboxFile.lastIndexOf(QLatin1Char('/')) + 1), entry.mboxFile};
}

// A message skipped as a copy was not streamed through: it is read again for its hash.
QByteArray contentHashOf(const ConversionEntry &entry, QByteArray &piece, const std::function<void()> &betweenPieces)
{
    MessageReader reader = openMessage(entry);
    ContentHash hash;
    bool read = reader.ok();
    while (read && (read = reader.next(piece, MessageReader::StreamPieceSize)) && !piece.isEmpty()) {
        hash.feed(piece);
        betweenPieces();
    }
    return read ? hash.hex() : QByteArray();
}

// The header lines a record gets after its separator: the flags the source kept, as the layout keeps them.
QByteArray linesAfterSeparator(const ConversionEntry &entry, const ConversionRules &rules)
{
    if (!entry.flags)
        return rules.afterSeparator;
    MessageFlags flags = *entry.flags;
    if (rules.unread)
        flags.seen = false;
    if (rules.layout == OutputLayout::Thunderbird)
        return thunderbirdFlagLines(flags);
    if (rules.keepFlags)
        return statusFieldLines(flags, rules.lfLineEnds);
    return rules.afterSeparator;
}

// One entry; returns why it was not written, or empty text when it was (or
// was skipped: run.lastSkipped). The message is read, quoted and written
// piece by piece: memory stays bounded whatever its size.
QString convertOne(const ConversionEntry &entry, const ConversionRules &rules, ConversionObserver &observer,
                   Yielder &yielder, RunState &run, QList<ConversionNote> &notes)
{
    const QString &sourcePath = entry.source;
    if (run.maildir) {
        yielder.yield();
        const QString &namedPath = entry.namedPath();
        const QStringView sourceFolder = QStringView(namedPath).left(namedPath.lastIndexOf(QLatin1Char('/')) + 1);
        if (sourceFolder != run.lastSourceFolder || entry.nameStart != run.lastNameStart) {
            run.lastMaildir = maildirTargetFor(rules.naming, namedPath, entry.nameStart);
            run.lastSourceFolder = sourceFolder.toString();
            run.lastNameStart = entry.nameStart;
        }
        QStringList readWarnings;
        MessageReader reader = openMessage(entry, &readWarnings);
        const MaildirOutcome done = run.maildir->write(run.lastMaildir, sourcePath, reader, entry.flags, run.piece, [&](qint64 read, qint64 size) {
            if (size > 0)
                observer.bytesRead(qMin(read, size), size);
            yielder.yield();
        });
        run.lastMboxFile = done.file;
        run.lastSkipped = done.skipped;
        run.lastMatch = 0;
        run.lastRecordBytes = done.bytes;
        run.lastOffset = -1;
        run.lastError = done.error;
        if (done.reason.isEmpty() && !done.skipped)
            for (const QString &warning : std::as_const(readWarnings))
                observer.messageWarning(sourcePath, warning);
        return done.reason;
    }
    const OutputTarget target = targetOf(entry, rules);
    yielder.yield();
    if (run.ownMboxes.holds(sourcePath))
        return QStringLiteral("the file is an mbox file this run appends to; it is not read as a message");
    if (const auto failed = run.lockFailures.constFind(target.file); failed != run.lockFailures.cend())
        return *failed;

    QStringList readWarnings;
    MessageReader reader = openMessage(entry, &readWarnings);
    if (!reader.ok() || !reader.next(run.piece))
        return reader.failure();
    yielder.yield();

    // Told only once the record is written: a message skipped or failed joins nothing.
    const bool withoutHeaderFields = !startsWithHeaderField(run.piece);
    MessageFacts facts;
    QByteArray separator;
    if (entry.envelope.isEmpty()) {
        HeaderSource header;
        header.loadFromBytes(run.piece, reader.modified());
        separator = separatorLine(header.getSender(), header.getDate(), rules.lfLineEnds);
        facts = MessageFacts{.date = header.getDate(), .dateSource = header.dateSource()};
    } else {
        // An mbox's own separator line is kept: of the header only the date is wanted.
        facts.date = HeaderSource::dateOf(run.piece, reader.modified(), &facts.dateSource);
        separator = entry.envelope + (rules.lfLineEnds ? "\n" : "\r\n");
    }
    separator += linesAfterSeparator(entry, rules);
    run.lastFacts = facts;
    std::optional<ContentHash> hash;
    if (rules.contentHashes)
        hash.emplace();

    // Made only now: a folder none of whose messages can be read stays unmade.
    if (target.folder != run.lastFolderMade) {
        if (const QString reason = createPath(target.folder, 0777, &run.lastError); !reason.isEmpty())
            return QStringLiteral("cannot create the folder ") + target.folder + QStringLiteral(": ") + reason;
        if (!target.treeRoot.isEmpty())
            if (const QString reason = makeParentFolderFiles(target.treeRoot, target.folder, &run.lastError); !reason.isEmpty())
                return reason;
        run.lastFolderMade = target.folder;
    }

    const qint64 size = reader.size();
    auto report = [&](qint64 consumed) {
        if (size > 0)
            observer.bytesRead(qMin(consumed, size), size);
    };
    if (!run.appender || run.appender->path() != target.file) {
        run.appender.reset();
        run.appender.emplace(target.file, AppendRules{.lockWait = rules.lockWait,
                                                      .lockLease = rules.lockLease,
                                                      .betweenChunks = [&yielder] { yielder.yield(); },
                                                      .lfLineEnds = rules.lfLineEnds,
                                                      .followLink = entry.mboxFile.isEmpty() && rules.naming.namedByUser(),
                                                      .dotLock = rules.naming.rule != MboxNaming::Rule::Thunderbird});
    }
    QByteArray identity;
    std::function<bool()> alreadyThere;
    if (rules.skipDuplicates) {
        identity = sourceIdentity(entry, run.piece, reader.size(), rules.duplicates, [&] { yielder.yield(); });
        alreadyThere = [&] {
            run.lastMatch = run.known.find(target.file, identity, [&] { yielder.yield(); });
            return run.lastMatch != KnownIdentities::NotThere;
        };
    }
    const AppendOutcome outcome = run.appender->append(separator, [&](OutputPieces &out) {
        RecordBody body(out, rules.lfLineEnds);
        while (!run.piece.isEmpty()) {
            const QByteArrayView piece(run.piece);
            if (hash)
                hash->feed(piece);
            for (qsizetype at = 0; at < piece.size(); at += QuoteSlice) {
                if (at > 0) {
                    report(body.bytesIn());
                    yielder.yield();
                }
                body.feed(piece.sliced(at, qMin(QuoteSlice, piece.size() - at)));
            }
            report(body.bytesIn());
            yielder.yield();
            if (!reader.next(run.piece, MessageReader::StreamPieceSize))
                return reader.failure();
        }
        body.finish();
        return QString();
    }, alreadyThere);
    for (const QString &note : outcome.notes) {
        notes.append({target.file, note});
        observer.mboxRepaired(target.file, note);
    }
    run.lastMboxFile = target.file;
    run.lastSkipped = outcome.skipped;
    if (outcome.skipped) {
        if (rules.contentHashes)
            run.lastFacts->contentHash = contentHashOf(entry, run.piece, [&] { yielder.yield(); });
        return {};
    }
    if (outcome.lockFailed)
        run.lockFailures.insert(target.file, outcome.reason);
    if (!outcome.written) {
        run.lastError = outcome.error;
        return outcome.reason;
    }
    run.lastRecordBytes = outcome.bytes;
    run.lastOffset = outcome.offset;
    run.lastFacts->recordLength = outcome.recordLength;
    if (hash)
        run.lastFacts->contentHash = hash->hex();
    // Header fields written after the separator keep it apart (Thunderbird's status lines).
    if (withoutHeaderFields && rules.afterSeparator.isEmpty())
        observer.messageWarning(sourcePath, QStringLiteral("no header fields at its start: mail programs may join it to the message before it"));
    for (const QString &warning : std::as_const(readWarnings))
        observer.messageWarning(sourcePath, warning);
    if (rules.skipDuplicates)
        run.known.appended(target.file, identity, outcome.offset, outcome.bytes);
    if (!run.mboxFilesSeen.contains(target.file)) {
        run.mboxFilesSeen.insert(target.file);
        run.mboxFiles.append(target.file);
    }
    return {};
}

// fdatasync can take long on a busy disk: it runs beside the event loop.
QList<ConversionFailure> flushAll(const QStringList &mboxFiles, Yielder &yielder)
{
    auto flushing = std::async(std::launch::async, [mboxFiles] {
        QList<ConversionFailure> failures;
        for (const QString &file : mboxFiles)
            if (const QString reason = flushToDisk(file); !reason.isEmpty())
                failures.append({file, reason, ConversionFailure::Kind::Flush});
        return failures;
    });
    while (flushing.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        yielder.yield();
    return flushing.get();
}

} // namespace

OutputTarget entryTarget(const ConversionEntry &entry, const ConversionRules &rules)
{
    return targetOf(entry, rules);
}

QString trimSpaces(const QString &text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

ConversionResult convertMessages(const QStringList &paths, const QString &destination,
                                 ConversionObserver &observer, Yielder &yielder)
{
    QList<ConversionEntry> entries;
    entries.reserve(paths.size());
    for (const QString &path : paths)
        entries.append({trimSpaces(path), {}});
    return convertEntries(entries, {.naming = MboxNaming::mirror(destination)}, observer, yielder);
}

ConversionResult convertEntries(const QList<ConversionEntry> &entries, const ConversionRules &rules,
                                ConversionObserver &observer, Yielder &yielder)
{
    const RunInProgress running;
    ConversionResult result;
    RunState run;
    run.known = KnownIdentities(rules.duplicates);
    if (rules.layout == OutputLayout::Maildir)
        run.maildir.emplace(MaildirRules{.crlf = !rules.lfLineEnds, .unread = rules.unread, .skipDuplicates = rules.skipDuplicates});
    result.total = int(entries.size());
    QSet<QString> targets;
    for (qsizetype k = 0; k < entries.size(); ++k) {
        if (k % 1024 == 1023)
            yielder.yield();
        try {
            targets.insert(targetOf(entries[k], rules).file);
        } catch (const Failure &) {
            // failed again, and told, when its turn comes
        }
    }
    for (const QString &target : std::as_const(targets))
        run.ownMboxes.add(target);
    for (int k = 0; k < result.total; ++k) {
        yielder.yield();
        const QString &sourcePath = entries[k].source;
        QString failure;
        FailureKind cause = FailureKind::Other;
        run.lastSkipped = false;
        run.lastError = 0;
        run.lastFacts.reset();
        try {
            failure = convertOne(entries[k], rules, observer, yielder, run, result.notes);
        } catch (const Failure &error) {
            failure = error.reason();
            cause = error.kind();
        } catch (const std::bad_alloc &) {
            failure = QStringLiteral("not enough memory to hold the message");
        } catch (const std::exception &error) {
            failure = QString::fromLocal8Bit(error.what());
        }
        if (run.lastFacts)
            observer.messageFacts(sourcePath, *run.lastFacts);
        if (failure.isEmpty() && run.lastSkipped) {
            ++result.skipped;
            observer.messageSkipped(sourcePath, run.lastMboxFile, run.lastMatch);
        } else if (failure.isEmpty()) {
            ++result.written;
            observer.messageWritten(sourcePath, run.lastMboxFile, run.lastRecordBytes, run.lastOffset);
        } else {
            result.failures.append({sourcePath, failure, ConversionFailure::Kind::Message, cause});
            observer.messageFailed(sourcePath, failure);
        }
        observer.messageDone(k + 1, result.total);
        if (endsTheRun(run.lastError)) {
            result.stoppedBy = run.lastError;
            result.notTried = result.total - (k + 1);
            break;
        }
    }
    run.appender.reset();
    if (run.maildir)
        result.failures += run.maildir->finish();
    result.mboxFiles = run.mboxFiles;
    result.failures += flushAll(result.mboxFiles, yielder);
    return result;
}
