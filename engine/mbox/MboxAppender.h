#pragma once

#include "engine/mbox/AppendMarker.h"
#include "engine/mbox/MboxLock.h"
#include "engine/mbox/OutputPieces.h"
#include "engine/support/FileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/types.h>

// The system calls an append goes through, so a test can make them fail.
struct FileIo {
    ssize_t (*write)(int fd, const void *data, size_t size);
    int (*truncate)(int fd, off_t length);
    static FileIo system();
};

struct AppendRules {
    FileIo io = FileIo::system();
    std::chrono::milliseconds lockWait = std::chrono::seconds(30);
    // How long the locks may be kept from one record to the next.
    std::chrono::milliseconds lockLease = std::chrono::milliseconds(500);
    // Runs between two pieces written and between two tries for the lock (a
    // yield point; it may throw to abandon the record).
    std::function<void()> betweenChunks;
    // The records' line ends: LF alone, or CR LF. Line ends added to finish an
    // mbox another program left torn follow them.
    bool lfLineEnds = false;
    // The mbox was named by the user: a symbolic link there is followed (and
    // the notes name its target). Elsewhere a link there fails the append.
    bool followLink = false;
    bool dotLock = true;  // see LockWait
};

struct [[nodiscard]] AppendOutcome {
    bool written = false;
    QString reason;     // why not, when not written
    QStringList notes;  // repairs made to the mbox file before the record, for the user
    bool skipped = false;  // not written: alreadyThere said so
    qint64 bytes = 0;      // what the file grew by, when written
    int error = 0;         // the system's error behind reason, when there is one (ENOSPC, EROFS...)
    bool lockFailed = false;  // the reason is the lock's; it holds for the mbox's other records too
    qint64 offset = -1;    // where the record begins in the file, when written
    qint64 recordLength = 0;  // the record alone: bytes less the line ends added before it
};

// Writes the rest of a record, in as many pieces as it likes. Returns why the
// record cannot be finished (its message could not be read), or empty text.
using RecordRest = std::function<QString(OutputPieces &out)>;

// Appends records to one mbox file, creating it when missing (mode 0666 less
// the umask). Only regular files are written to, and a symbolic link in the
// mbox's place is not followed unless rules.followLink. The file stays open
// from one record to the next: a run appends many records to one mbox in a row.
//
// The mbox is locked for each append (see MboxLock), and the locks are kept
// for the next record for up to rules.lockLease; if the lock cannot be had
// within rules.lockWait the record is not written, nor, without a new wait,
// any later one. An AppendMarker, written ahead of every piece, describes the
// record being written, and it is emptied after the last piece. The next
// append to that mbox cuts off a record torn by a crash only when the file's
// end is exactly the start of that record (see judgeTornRecord); a record
// found whole is kept, and one with other mail after it is kept and named in
// the notes, as is a side file that does not describe the file. An mbox that
// does not end with a whole record gets the line ends it lacks first, so the
// new record is always a message of its own.
//
// On a failed or short write, a failure of rest, or an exception from
// rules.betweenChunks, the file is cut back to its length before the append,
// so it never holds a torn record; if even that fails the reason says so and
// the marker stays for the next append to finish the job.
class MboxAppender {
public:
    MboxAppender(const QString &mboxPath, AppendRules rules);
    ~MboxAppender();
    MboxAppender(const MboxAppender &) = delete;
    MboxAppender &operator=(const MboxAppender &) = delete;

    // alreadyThere, when given, is asked once the lock is held and a torn
    // record cut off, before anything is written: true leaves the record
    // unwritten (skipped). It may throw.
    AppendOutcome append(QByteArrayView recordStart, const RecordRest &rest,
                         const std::function<bool()> &alreadyThere = {});
    QString path() const { return path_; }

private:
    [[nodiscard]] bool openMbox(QString &failure, int &error);
    void closeMbox();
    void judgeMarker(off_t &length, const struct stat &mbox, AppendOutcome &outcome);

    QString path_;
    AppendRules rules_;
    QString target_;  // path_, or the file a link there leads to (rules_.followLink)
    QString lockFailure_;
    std::optional<MboxLock> lock_;
    std::chrono::steady_clock::time_point lockTaken_;
    FileDescriptor fd_;
    off_t wholeEnd_ = -1;  // the length after this appender's last record
    AppendMarker marker_;
};

// Waits until the file's data is on the disk. Empty text on success, else why not.
[[nodiscard]] QString flushToDisk(const QString &mboxPath);
