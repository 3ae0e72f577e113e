#pragma once

#include "engine/message/HeaderSource.h"
#include "engine/source/SourceMessage.h"
#include "engine/store/Store.h"
#include "engine/store/StoreRules.h"
#include "engine/support/ConversionFailure.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Yielder;

// What a run learnt of one message it read, for a front end that keeps a
// record of every message.
struct MessageFacts {
    QDateTime date;  // the one its output carries (messageDate)
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
    // What became of one entry, just before its messageDone, for a front end
    // that names every message (the window shows only the counts).
    // file is what was written (an mbox file, or the message's own file);
    // recordBytes is what it grew by; offset is where the record begins in
    // it, -1 for a file that holds only this message.
    virtual void messageWritten(const QString &source, const QString &file, qint64 recordBytes, qint64 offset = -1)
    {
        Q_UNUSED(source) Q_UNUSED(file) Q_UNUSED(recordBytes) Q_UNUSED(offset)
    }
    // Just before messageWritten or messageSkipped, and messageFailed when
    // the message could be read: what was learnt of it.
    virtual void messageFacts(const QString &source, const MessageFacts &facts) { Q_UNUSED(source) Q_UNUSED(facts) }
    virtual void messageFailed(const QString &source, const QString &reason) { Q_UNUSED(source) Q_UNUSED(reason) }
    // A copy of the message is already in file: its record begins at byte
    // matchOffset (from an earlier run, this one or another program).
    virtual void messageSkipped(const QString &source, const QString &file, qint64 matchOffset)
    {
        Q_UNUSED(source) Q_UNUSED(file) Q_UNUSED(matchOffset)
    }
    // Something about a message that was written all the same, that the user may want to know.
    virtual void messageWarning(const QString &source, const QString &text) { Q_UNUSED(source) Q_UNUSED(text) }
    // A repair made to an mbox file before appending to it, as it happens: an
    // interrupted run returns no result to find it in.
    virtual void mboxRepaired(const QString &mboxFile, const QString &text) { Q_UNUSED(mboxFile) Q_UNUSED(text) }
};

// Something the run did besides converting, that the user must hear of (an
// mbox repaired before the run appended to it).
struct ConversionNote {
    QString path;
    QString text;
};

// One message of a run: the run takes messages as the sources give them.
using ConversionEntry = SourceMessage;

struct ConversionResult {
    int total = 0;
    int written = 0;
    int skipped = 0;  // already in their targets (ConversionRules::skipDuplicates)
    QList<ConversionFailure> failures;  // the messages' in list order, then the flushes'
    QStringList mboxFiles;  // every file the run wrote to, in first-use order
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

// The same for messages of any source into any store, under the rules the
// store was made with (contentHashes is the run's own). Paths are taken as
// they are (convertMessages trims spaces, as the window's list holds them).
// After an Interrupted, store.finish() brings what was written to the disk.
ConversionResult convertEntries(const QList<SourceMessage> &entries, Store &store, const ConversionRules &rules,
                                ConversionObserver &observer, Yielder &yielder);
// The same into the store the rules choose.
ConversionResult convertEntries(const QList<SourceMessage> &entries, const ConversionRules &rules,
                                ConversionObserver &observer, Yielder &yielder);

// Leading and trailing space characters removed, and no other white space.
QString trimSpaces(const QString &text);
