#pragma once

#include "engine/mbox/MboxNaming.h"
#include "engine/message/MessageIdentity.h"
#include "engine/run/OutputLayout.h"
#include "engine/support/Failure.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>

class Yielder;

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
    // recordBytes is what the mbox file grew by.
    virtual void messageWritten(const QString &source, const QString &mboxFile, qint64 recordBytes)
    {
        Q_UNUSED(source) Q_UNUSED(mboxFile) Q_UNUSED(recordBytes)
    }
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
    FailureKind cause = FailureKind::Other;  // why, for the window's numbered texts
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
    // Where the listed folder's own name begins in source (MboxNaming::Rule::Relative).
    qsizetype nameStart = 0;
};

// How a run writes. The defaults are the window's.
struct ConversionRules {
    MboxNaming naming;  // for the entries without an mbox file of their own
    OutputLayout layout = OutputLayout::Mbox;
    // Every line of a record ends with LF alone (CR LF and a lone CR become
    // LF); the quoting is the same.
    bool lfLineEnds = false;
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
    // The messages are left unread; by default a layout that can say so marks them read.
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

// Leading and trailing space characters removed, and no other white space.
QString trimSpaces(const QString &text);
