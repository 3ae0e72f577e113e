#pragma once

#include "engine/message/HeaderSource.h"
#include "engine/message/MessageReader.h"
#include "engine/source/SourceMessage.h"
#include "engine/store/StoreRules.h"
#include "engine/support/ConversionFailure.h"
#include "engine/verify/TargetReader.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Yielder;

// One message on its way into a store: opened as its kind of source holds
// it, its first piece read (the header block is in it), its date worked out.
struct MessageInput {
    const SourceMessage &message;
    MessageReader &reader;
    QByteArray &piece;  // the first piece, then each next one; kept from one message to the next
    QDateTime date;     // see messageDate
    QString sender;     // for a new separator line, when the store names senders
    // Told of every piece of the message's text as it is written (the content hash).
    std::function<void(QByteArrayView piece)> text;
    // Bytes of the message read so far; a yield point (it may throw Interrupted).
    std::function<void(qint64 read)> progress;
    Yielder &yielder;
};

// What became of one message.
struct [[nodiscard]] StoreOutcome {
    QString reason;        // why it was not written; empty when it was or was skipped
    int error = 0;         // the errno behind reason, when there is one
    bool skipped = false;  // a copy was there already
    QString file;          // the file written, or the one that holds the copy
    qint64 bytes = 0;      // what the target grew by
    qint64 offset = -1;    // where the record begins in file; -1: the file is the message
    qint64 match = -1;     // skipped: where the copy's record begins in file (0 for a file of its own)
    qint64 recordLength = -1;  // the record alone, without line ends added before it
    QStringList notes;     // repairs made to the target before writing, for the user
    QStringList warnings;  // about a message written all the same
};

// One place a run writes into: an mbox tree, Thunderbird's folder tree, a
// Maildir++ tree. The run, the dry run, the report, the manifest and the
// verifier ask the store; none of them asks which one it is.
class Store {
public:
    virtual ~Store() = default;

    // The target a message goes to: its mbox file, or its maildir folder.
    // Throws Failure (NoMboxName) when no name can be made from its path.
    virtual QString targetOf(const SourceMessage &message) const = 0;
    // What targets are called, one and many: "mbox file", "mbox files".
    virtual QString targetWord(qsizetype count) const = 0;
    // Whether a message it writes names its sender (a separator line): the
    // header is then read once for the date and the sender together.
    virtual bool namesSender() const { return false; }

    // Every target the messages go to is one this run writes: a message
    // read from one of them is not taken (appending an mbox to itself).
    virtual void prepare(const QList<SourceMessage> &messages, Yielder &yielder) { Q_UNUSED(messages) Q_UNUSED(yielder) }
    // Writes one message, streamed a piece at a time, crash-safe.
    virtual StoreOutcome write(MessageInput &input) = 0;
    // Everything written reaches the disk; what could not, in words. Also
    // after a run stopped between two messages.
    virtual QList<ConversionFailure> finish(Yielder &yielder) = 0;

    // For a run that writes nothing: the file that holds a copy of message
    // and where (StoreOutcome::match), or an empty file; a message without
    // a copy counts as written for the ones after it (match -2). Throws
    // Failure when the message or the target cannot be read.
    virtual StoreOutcome findCopy(const SourceMessage &message, Yielder &yielder) = 0;

    // A reader of what the store holds, sharing nothing with the writing:
    // for --verify and --verify-only.
    virtual std::unique_ptr<TargetReader> reader() const = 0;
};

// The one choice of a store from the rules.
std::unique_ptr<Store> makeStore(const ConversionRules &rules);
