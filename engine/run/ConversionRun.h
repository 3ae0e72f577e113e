#pragma once

#include "engine/mbox/MboxNaming.h"
#include "engine/message/HeaderSource.h"
#include "engine/message/MessageIdentity.h"
#include "engine/run/OutputLayout.h"
#include "engine/source/MessageFlags.h"
#include "engine/source/SourceKind.h"
#include "engine/support/Failure.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

class Yielder;

// What a run learnt of one message it read, for a front end that keeps a
// record of every message.
struct MessageFacts {
    QDateTime date;  // the separator line's
    DateSource dateSource = DateSource::None;
    QByteArray contentHash;   // ContentHash::hex, with ConversionRules::contentHashes; else empty
    qint64 recordLength = -1;  // written: the record alone, without line ends added before it
};

// What the window shows while a run goes on. Values are passed at yield
// points, and exactly after every message.
class ConversionObserver {
public:
    virtual ~ConversionObserver() = default;
    // Bytes of the current message's file read so far, never more than its
    // size, and its file size. Not called for a zero-byte message.
    virtual void bytesRead(qint64 bodyLength, qint64 fileSize) = 0;
    // number is 1-based; called after every entry, written or not.
    virtual void messageDone(int number, int total) = 0;
    // What became of one entry, just before its MessageDone, for a front end
    // that names every message (the window shows only the counts).
    // recordBytes is what the mbox file grew by; offset is where the record
    // begins in it, -1 for a file that holds only this message.
    virtual void messageWritten(const QString &source, const QString &mboxFile, qint64 recordBytes, qint64 offset = -1)
    {
        Q_UNUSED(source) Q_UNUSED(mboxFile) Q_UNUSED(recordBytes) Q_UNUSED(offset)
    }
    // Just before messageWritten or messageSkipped, and messageFailed when
    // the message could be read: what was learnt of it.
    virtual void messageFacts(const QString &source, const MessageFacts &facts) { Q_UNUSED(source) Q_UNUSED(facts) }
    virtual void messageFailed(const QString &source, const QString &reason) { Q_UNUSED(source) Q_UNUSED(reason) }
    // A copy of the message is already in mboxFile: its record begins at
    // byte matchOffset (from an earlier run, this one or another program).
    virtual void messageSkipped(const QString &source, const QString &mboxFile, qint64 matchOffset)
    {
        Q_UNUSED(source) Q_UNUSED(mboxFile) Q_UNUSED(matchOffset)
    }
    // Something about a message that was written all the same, that the user may want to know.
    virtual void messageWarning(const QString &source, const QString &text) { Q_UNUSED(source) Q_UNUSED(text) }
    // A repair made to an mbox file before appending to it, as it happens: an
    // interrupted run returns no result to find it in.
    virtual void mboxRepaired(const QString &mboxFile, const QString &text) { Q_UNUSED(mboxFile) Q_UNUSED(text) }
};

struct ConversionFailure {
    enum class Kind {
        Message,  // path is a message that was not written
        Flush,    // path is an mbox file that could not be flushed to disk
    };
    QString path;
    QString reason;  // in words
    Kind kind = Kind::Message;
    FailureKind cause = FailureKind::Other;  // why, beside the reason in words
};

// Something the run did besides converting, that the user must hear of (an
// mbox repaired before the run appended to it).
struct ConversionNote {
    QString path;
    QString text;
};

// One message of a run and the mbox file it goes to.
struct ConversionEntry {
    QString source;
    QString mboxFile;  // empty: named by the run's rule, ConversionRules::naming
    // Where the listed folder's own name begins in source, or in namePath (MboxNaming::Rule::Relative).
    qsizetype nameStart = 0;
    // What the file is, and where in it the message lies when it holds more.
    SourceKind kind = SourceKind::Eml;
    QString namePath;      // named after this path, not source (SourceFile::namePath)
    qint64 offset = 0;     // Mbox: the message's bytes in source, still quoted
    qint64 length = -1;
    QByteArray envelope;   // Mbox: its separator line, kept as the record's
    std::optional<MessageFlags> flags;  // what the store knew of it

    // The path the output is named after.
    const QString &namedPath() const { return namePath.isEmpty() ? source : namePath; }
};

// How a run writes. The defaults are the window's.
struct ConversionRules {
    MboxNaming naming;  // for the entries without an mbox file of their own
    OutputLayout layout = OutputLayout::Mbox;
    // Every line of a record ends with LF alone (CR LF and a lone CR become
    // LF); the quoting is the same.
    bool lfLineEnds = false;
    // Written after every separator line, as part of the record (Thunderbird's
    // status lines); MessageIdentity leaves them out.
    QByteArray afterSeparator;
    // A message whose identity (see MessageIdentity) is already in its mbox,
    // from an earlier run, this one or another program, is not appended; the
    // mbox is looked at under its lock.
    bool skipDuplicates = false;
    // How long to wait for another program's lock on an mbox, once per mbox:
    // when it runs out, the mbox's other messages fail at once as well.
    std::chrono::milliseconds lockWait = std::chrono::seconds(30);
    // How long an mbox's locks are kept from one of its records to the next.
    std::chrono::milliseconds lockLease = std::chrono::milliseconds(500);
    DuplicateRule duplicates = DuplicateRule::ExactCopy;
    // Every message read whole is hashed for the observer (MessageFacts::contentHash).
    bool contentHashes = false;
    // A message whose source kept its flags (a maildir's, Apple Mail's) has
    // them written instead: Thunderbird's status lines in that layout, and
    // with keepFlags the Status: and X-Status: fields in an mbox. unread
    // leaves every message new.
    bool keepFlags = false;
    bool unread = false;
};

struct ConversionResult {
    int total = 0;
    int written = 0;
    int skipped = 0;  // already in their mbox files (ConversionRules::skipDuplicates)
    QList<ConversionFailure> failures;  // the messages' in list order, then the flushes'
    QStringList mboxFiles;  // every mbox file the run appended to, in first-use order
    QList<ConversionNote> notes;
    // A full disk (ENOSPC, EDQUOT) or a read-only file system (EROFS) ends the
    // run at the entry that met it: its errno, and the entries after it, not tried.
    int stoppedBy = 0;
    int notTried = 0;
    bool succeeded() const { return total > 0 && written + skipped == total && failures.isEmpty(); }
};

// Appends every message to the mbox file of its folder below destination, in
// list order, and then flushes each of those files to disk once. A message of
// any size is streamed through a piece at a time. A failing entry is recorded
// and the run goes on, unless the disk refused it (see stoppedBy); repairs
// made to an mbox before appending to it are noted. Interrupted, thrown by a
// yield point, passes through; the message being written then is cut off its
// mbox again.
ConversionResult convertMessages(const QStringList &paths, const QString &destination,
                                 ConversionObserver &observer, Yielder &yielder);

// The same for entries that may name their mbox files, under the rules given.
// Paths are taken as they are (ConvertMessages trims spaces, as the window's
// list holds them).
ConversionResult convertEntries(const QList<ConversionEntry> &entries, const ConversionRules &rules,
                                ConversionObserver &observer, Yielder &yielder);

// Where the run puts entry's message under rules (its mbox file). Throws
// Failure (NoMboxName) when no name can be made from its path.
OutputTarget entryTarget(const ConversionEntry &entry, const ConversionRules &rules);

// Leading and trailing space characters removed, and no other white space.
QString trimSpaces(const QString &text);
