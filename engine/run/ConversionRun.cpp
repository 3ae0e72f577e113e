#include "engine/run/ConversionRun.h"

#include "engine/message/ContentHash.h"
#include "engine/message/HeaderBlock.h"
#include "engine/run/RunInProgress.h"
#include "engine/source/MessageDate.h"
#include "engine/support/Yielder.h"

#include <QSet>
#include <cerrno>
#include <optional>

namespace {

static_assert(MessageReader::PieceSize >= HeaderBlock::HeaderScanLimit, "the header block is read from the first piece");

// What became of the entry last done.
struct EntryDone {
    StoreOutcome outcome;
    std::optional<MessageFacts> facts;  // once it was read
    QStringList readWarnings;
};

// Every later message would fail the same way, each after trying its write.
bool endsTheRun(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EROFS;
}

// One entry: read as its source holds it, dated, handed to the store a piece
// at a time, so memory stays bounded whatever its size.
void convertOne(const SourceMessage &entry, Store &store, const ConversionRules &rules, ConversionObserver &observer,
                Yielder &yielder, QByteArray &piece, EntryDone &done)
{
    store.targetOf(entry);  // a message without a target fails for that, whatever its file
    yielder.yield();
    MessageReader reader = openMessage(entry, &done.readWarnings);
    if (!reader.ok() || !reader.next(piece)) {
        done.outcome.reason = reader.failure();
        return;
    }
    MessageFacts facts;
    QString sender;
    const QDateTime date = messageDate(entry, piece, reader.modified(), &facts.dateSource, store.namesSender() ? &sender : nullptr);
    facts.date = date;
    done.facts = facts;
    std::optional<ContentHash> hash;
    if (rules.contentHashes)
        hash.emplace();
    const qint64 size = reader.size();
    MessageInput input{.message = entry,
                       .reader = reader,
                       .piece = piece,
                       .date = date,
                       .sender = sender,
                       .text = hash ? std::function<void(QByteArrayView)>([&hash](QByteArrayView bytes) { hash->feed(bytes); })
                                    : std::function<void(QByteArrayView)>(),
                       .progress = [&](qint64 read) {
                           if (size > 0)
                               observer.bytesRead(qMin(read, size), size);
                           yielder.yield();
                       },
                       .yielder = yielder};
    done.outcome = store.write(input);
    done.facts->recordLength = done.outcome.recordLength;
    if (hash && done.outcome.reason.isEmpty())
        done.facts->contentHash = hash->hex();
}

} // namespace

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
    QList<SourceMessage> entries;
    entries.reserve(paths.size());
    for (const QString &path : paths)
        entries.append({trimSpaces(path)});
    return convertEntries(entries, {.naming = MboxNaming::mirror(destination)}, observer, yielder);
}

ConversionResult convertEntries(const QList<SourceMessage> &entries, const ConversionRules &rules,
                                ConversionObserver &observer, Yielder &yielder)
{
    const std::unique_ptr<Store> store = makeStore(rules);
    return convertEntries(entries, *store, rules, observer, yielder);
}

ConversionResult convertEntries(const QList<SourceMessage> &entries, Store &store, const ConversionRules &rules,
                                ConversionObserver &observer, Yielder &yielder)
{
    const RunInProgress running;
    ConversionResult result;
    result.total = int(entries.size());
    store.prepare(entries, yielder);
    QByteArray piece;  // kept from one message to the next: no allocation per message
    QSet<QString> filesSeen;
    for (int k = 0; k < result.total; ++k) {
        yielder.yield();
        const QString &sourcePath = entries[k].source;
        EntryDone done;
        QString failure;
        FailureKind cause = FailureKind::Other;
        try {
            convertOne(entries[k], store, rules, observer, yielder, piece, done);
            failure = done.outcome.reason;
        } catch (const Failure &error) {
            failure = error.reason();
            cause = error.kind();
        } catch (const std::bad_alloc &) {
            failure = QStringLiteral("not enough memory to hold the message");
        } catch (const std::exception &error) {
            failure = QString::fromLocal8Bit(error.what());
        }
        const StoreOutcome &outcome = done.outcome;
        for (const QString &note : outcome.notes) {
            result.notes.append({outcome.file, note});
            observer.mboxRepaired(outcome.file, note);
        }
        if (done.facts)
            observer.messageFacts(sourcePath, *done.facts);
        if (failure.isEmpty() && outcome.skipped) {
            ++result.skipped;
            observer.messageSkipped(sourcePath, outcome.file, outcome.match);
        } else if (failure.isEmpty()) {
            ++result.written;
            for (const QString &warning : outcome.warnings + done.readWarnings)
                observer.messageWarning(sourcePath, warning);
            observer.messageWritten(sourcePath, outcome.file, outcome.bytes, outcome.offset);
            if (outcome.offset >= 0 && !filesSeen.contains(outcome.file)) {
                filesSeen.insert(outcome.file);
                result.mboxFiles.append(outcome.file);
            }
        } else {
            result.failures.append({sourcePath, failure, ConversionFailure::Kind::Message, cause});
            observer.messageFailed(sourcePath, failure);
        }
        observer.messageDone(k + 1, result.total);
        if (endsTheRun(outcome.error)) {
            result.stoppedBy = outcome.error;
            result.notTried = result.total - (k + 1);
            break;
        }
    }
    result.failures += store.finish(yielder);
    return result;
}
