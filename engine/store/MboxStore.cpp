#include "engine/store/MboxStore.h"

#include "engine/layout/FlagLines.h"
#include "engine/mbox/MboxRecord.h"
#include "engine/message/EnvelopeLine.h"
#include "engine/support/CreatePath.h"
#include "engine/support/Failure.h"
#include "engine/support/Yielder.h"
#include "engine/verify/MboxReader.h"

#include <chrono>
#include <future>

namespace {

// Bytes quoted between two looks at the window: the first piece, read whole
// for the header block, is quoted in slices as small as the pieces after it.
constexpr qsizetype QuoteSlice = MessageReader::StreamPieceSize;

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

// A message skipped as a copy was not streamed through: it is read again for its hash.
void feedAgain(const SourceMessage &message, QByteArray &piece, MessageInput &input)
{
    MessageReader reader = openMessage(message);
    bool read = reader.ok();
    while (read && (read = reader.next(piece, MessageReader::StreamPieceSize)) && !piece.isEmpty()) {
        input.text(piece);
        input.yielder.yield();
    }
}

} // namespace

MboxStore::MboxStore(const ConversionRules &rules) : rules_(rules), known_(rules.duplicates) {}

OutputTarget MboxStore::outputTargetOf(const SourceMessage &message) const
{
    if (!message.mboxFile.isEmpty())
        return {message.mboxFile.left(message.mboxFile.lastIndexOf(QLatin1Char('/')) + 1), message.mboxFile};
    // Every rule names the target after the message's folder alone.
    const QString &namedPath = message.namedPath();
    const QStringView sourceFolder = QStringView(namedPath).left(namedPath.lastIndexOf(QLatin1Char('/')) + 1);
    if (sourceFolder != lastSourceFolder_ || message.nameStart != lastNameStart_) {
        lastTarget_ = rules_.naming.targetFor(namedPath, message.nameStart);
        lastSourceFolder_ = sourceFolder.toString();
        lastNameStart_ = message.nameStart;
    }
    return lastTarget_;
}

QString MboxStore::targetWord(qsizetype count) const
{
    return count == 1 ? QStringLiteral("mbox file") : QStringLiteral("mbox files");
}

QByteArray MboxStore::linesAfterSeparator(const SourceMessage &message) const
{
    if (!message.flags || !rules_.keepFlags)
        return {};
    MessageFlags flags = *message.flags;
    if (rules_.unread)
        flags.seen = false;
    return statusFieldLines(flags, rules_.lfLineEnds);
}

QString MboxStore::prepareFolder(const OutputTarget &target, int &error) const
{
    if (const QString reason = createPath(target.folder, 0777, &error); !reason.isEmpty())
        return QStringLiteral("cannot create the folder ") + target.folder + QStringLiteral(": ") + reason;
    return {};
}

void MboxStore::prepare(const QList<SourceMessage> &messages, Yielder &yielder)
{
    QSet<QString> targets;
    for (qsizetype k = 0; k < messages.size(); ++k) {
        if (k % 1024 == 1023)
            yielder.yield();
        try {
            targets.insert(targetOf(messages[k]));
        } catch (const Failure &) {
            // failed again, and told, when its turn comes
        }
    }
    for (const QString &target : std::as_const(targets))
        own_.add(target);
}

StoreOutcome MboxStore::write(MessageInput &input)
{
    const SourceMessage &message = input.message;
    StoreOutcome done;
    const OutputTarget target = outputTargetOf(message);
    if (own_.holds(message.source)) {
        done.reason = QStringLiteral("the file is an mbox file this run appends to; it is not read as a message");
        return done;
    }
    if (const auto failed = lockFailures_.constFind(target.file); failed != lockFailures_.cend()) {
        done.reason = *failed;
        return done;
    }

    // Told only once the record is written: a message skipped or failed joins nothing.
    const QByteArray after = linesAfterSeparator(message);
    const bool withoutHeaderFields = !startsWithHeaderField(input.piece) && after.isEmpty();
    QByteArray separator;
    if (message.envelope.isEmpty()) {
        separator = separatorLine(input.sender, input.date, rules_.lfLineEnds);
    } else {
        separator = message.envelope + (rules_.lfLineEnds ? "\n" : "\r\n");
    }
    separator += after;

    // Made only now: a folder none of whose messages can be read stays unmade.
    if (target.folder != lastFolderMade_) {
        if (QString reason = prepareFolder(target, done.error); !reason.isEmpty()) {
            done.reason = reason;
            return done;
        }
        lastFolderMade_ = target.folder;
    }

    Yielder &yielder = input.yielder;
    if (!appender_ || appender_->path() != target.file) {
        appender_.reset();
        appender_.emplace(target.file, AppendRules{.lockWait = rules_.lockWait,
                                                   .lockLease = rules_.lockLease,
                                                   .betweenChunks = [&yielder] { yielder.yield(); },
                                                   .lfLineEnds = rules_.lfLineEnds,
                                                   .followLink = message.mboxFile.isEmpty() && rules_.naming.namedByUser(),
                                                   .dotLock = dotLock()});
    }
    QByteArray identity;
    std::function<bool()> alreadyThere;
    if (rules_.skipDuplicates) {
        identity = sourceIdentity(message, input.piece, input.reader.size(), rules_.duplicates, [&] { yielder.yield(); });
        alreadyThere = [&] {
            done.match = known_.find(target.file, identity, [&] { yielder.yield(); });
            return done.match != KnownIdentities::NotThere;
        };
    }
    MessageReader &reader = input.reader;
    QByteArray &piece = input.piece;
    const AppendOutcome outcome = appender_->append(separator, [&](OutputPieces &out) {
        RecordBody body(out, rules_.lfLineEnds);
        while (!piece.isEmpty()) {
            const QByteArrayView bytes(piece);
            if (input.text)
                input.text(bytes);
            for (qsizetype at = 0; at < bytes.size(); at += QuoteSlice) {
                if (at > 0)
                    input.progress(body.bytesIn());
                body.feed(bytes.sliced(at, qMin(QuoteSlice, bytes.size() - at)));
            }
            input.progress(body.bytesIn());
            if (!reader.next(piece, MessageReader::StreamPieceSize))
                return reader.failure();
        }
        body.finish();
        return QString();
    }, alreadyThere);
    done.notes = outcome.notes;
    done.file = target.file;
    if (outcome.skipped) {
        done.skipped = true;
        if (input.text)
            feedAgain(message, piece, input);
        return done;
    }
    if (outcome.lockFailed)
        lockFailures_.insert(target.file, outcome.reason);
    if (!outcome.written) {
        done.error = outcome.error;
        done.reason = outcome.reason;
        return done;
    }
    done.bytes = outcome.bytes;
    done.offset = outcome.offset;
    done.recordLength = outcome.recordLength;
    if (withoutHeaderFields)
        done.warnings.append(QStringLiteral("no header fields at its start: mail programs may join it to the message before it"));
    if (rules_.skipDuplicates)
        known_.appended(target.file, identity, outcome.offset, outcome.bytes);
    if (!filesSeen_.contains(target.file)) {
        filesSeen_.insert(target.file);
        files_.append(target.file);
    }
    return done;
}

QList<ConversionFailure> MboxStore::finish(Yielder &yielder)
{
    appender_.reset();
    // fdatasync can take long on a busy disk: it runs beside the event loop.
    auto flushing = std::async(std::launch::async, [files = files_] {
        QList<ConversionFailure> failures;
        for (const QString &file : files)
            if (const QString reason = flushToDisk(file); !reason.isEmpty())
                failures.append({file, reason, ConversionFailure::Kind::Flush});
        return failures;
    });
    while (flushing.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        yielder.yield();
    return flushing.get();
}

StoreOutcome MboxStore::findCopy(const SourceMessage &message, Yielder &yielder)
{
    StoreOutcome found;
    const QString file = targetOf(message);
    found.match = findCopyOf(message, file, known_, [&] { yielder.yield(); });
    if (found.match != KnownIdentities::NotThere)
        found.file = file;
    return found;
}

std::unique_ptr<TargetReader> MboxStore::reader() const
{
    return std::make_unique<MboxReader>(false);
}
