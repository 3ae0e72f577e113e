#pragma once

#include "convert/AppendMarker.h"
#include "convert/MboxLock.h"
#include "convert/OutputPieces.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <sys/types.h>

// The system calls an append goes through, so a test can make them fail.
struct FileIo {
    ssize_t (*write)(int fd, const void *data, size_t size);
    int (*truncate)(int fd, off_t length);
    static FileIo System();
};

struct AppendRules {
    FileIo io = FileIo::System();
    std::chrono::milliseconds lockWait = std::chrono::seconds(30);
    // Runs between two pieces written and between two tries for the lock (a
    // yield point; it may throw to abandon the record).
    std::function<void()> betweenChunks;
    // The records' line ends: LF alone, or CR LF. Line ends added to finish an
    // mbox another program left torn follow them.
    bool lfLineEnds = false;
};

struct AppendOutcome {
    bool written = false;
    QString reason;     // why not, when not written
    QStringList notes;  // repairs made to the mbox file before the record, for the user
    bool skipped = false;  // not written: alreadyThere said so
    qint64 bytes = 0;      // what the file grew by, when written
    qint64 offset = -1;    // where the record begins in the file, when written
};

// Writes the rest of a record, in as many pieces as it likes. Returns why the
// record cannot be finished (its message could not be read), or empty text.
using RecordRest = std::function<QString(OutputPieces &out)>;

// Appends records to one mbox file, creating it when missing (mode 0666 less
// the umask). Only regular files are written to. The file stays open from one
// record to the next: a run appends many records to one mbox in a row.
//
// The mbox is locked for each append (see MboxLock); if the lock cannot be had
// within rules.lockWait the record is not written. Before a record's first
// byte an AppendMarker records where it begins, and it is emptied after the
// last: an append torn by a crash is cut off by the next append to that mbox,
// which says so in its notes. An mbox that does not end with a whole record
// (another program's, or torn without a marker) gets the line ends it lacks
// first, so the new record is always a message of its own.
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
    AppendOutcome Append(QByteArrayView recordStart, const RecordRest &rest,
                         const std::function<bool()> &alreadyThere = {});
    QString path() const { return path_; }

private:
    bool OpenMbox(QString &failure);
    void CloseMbox();

    QString path_;
    AppendRules rules_;
    int fd_ = -1;
    off_t wholeEnd_ = -1;  // the length after this appender's last record
    AppendMarker marker_;
};

// One record through an MboxAppender of its own.
AppendOutcome AppendRecord(const QString &mboxPath, QByteArrayView recordStart, const RecordRest &rest,
                           const AppendRules &rules);

// The same for a record already built whole.
AppendOutcome AppendRecord(const QString &mboxPath, const QByteArray &record, const FileIo &io = FileIo::System(),
                           const std::function<void()> &betweenChunks = {});

// Waits until the file's data is on the disk. Empty text on success, else why not.
QString FlushToDisk(const QString &mboxPath);
