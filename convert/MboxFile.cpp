#include "convert/MboxFile.h"

#include "convert/MboxTail.h"
#include "modules/FileDescriptor.h"
#include "modules/FileNames.h"

#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A large record goes out in pieces with the window's turn between them: one
// write of several megabytes can hold the window for tens of milliseconds.
constexpr qsizetype WriteChunk = 128 * 1024;

struct WriteFailed {
    int error;
};

// Throws WriteFailed.
void WriteAll(const FileIo &io, int fd, QByteArrayView data)
{
    if (const int error = WriteFully(fd, data, io.write))
        throw WriteFailed{error};
}

// Starts the write-back of every whole WriteBackSpan that this write
// completed, so the flush at the end of a run is short. In spans rather than
// per write: one call per small record would cost more than it saves, and one
// call for a whole large record holds the window.
void StartWriteBack(int fd, off_t lengthBefore, off_t lengthAfter)
{
    constexpr off_t WriteBackSpan = 4 * 1024 * 1024;
    const off_t from = lengthBefore / WriteBackSpan * WriteBackSpan;
    const off_t to = lengthAfter / WriteBackSpan * WriteBackSpan;
    if (to > from)
        ::sync_file_range(fd, from, to - from, SYNC_FILE_RANGE_WRITE);  // advice only: its failure changes nothing
}

QString OpenFailure(int error)
{
    return QStringLiteral("cannot open the mbox file: ") + SystemReason(error);
}

// Cuts off a record that an earlier append left torn, when the marker shows
// it is there: the bytes at the marked length must be the record's start.
// Returns why the cut failed, or empty text; a note tells what was cut.
QString CutTornRecord(int fd, const FileIo &io, const AppendMarker::Found &marker, off_t &length, QStringList &notes)
{
    if (!marker.readable || marker.length >= length)
        return {};
    const qsizetype compared = qsizetype(qMin<qint64>(marker.recordStart.size(), length - marker.length));
    QByteArray there(compared, Qt::Uninitialized);
    if (::pread(fd, there.data(), size_t(compared), marker.length) != compared
        || there != QByteArrayView(marker.recordStart).first(compared))
        return {};
    if (io.truncate(fd, marker.length) != 0)
        return QStringLiteral("cannot cut off the record that an earlier run left unfinished at the end of the mbox file: ")
               + SystemReason(errno);
    notes << QStringLiteral("%1 bytes of a record that an earlier run left unfinished were cut off the end of the mbox file")
                 .arg(length - marker.length);
    length = marker.length;
    return {};
}

} // namespace

FileIo FileIo::System()
{
    return {&::write, &::ftruncate};
}

MboxAppender::MboxAppender(const QString &mboxPath, AppendRules rules)
    : path_(mboxPath), rules_(std::move(rules)), marker_(mboxPath)
{
}

MboxAppender::~MboxAppender()
{
    // The emptied marker goes, unless another program appends right now and may be using it.
    if (fd_ >= 0) {
        const MboxLock lock(fd_, {std::chrono::milliseconds(0), {}});
        if (lock.held())
            marker_.RemoveIfEmpty();
    }
    CloseMbox();
}

void MboxAppender::CloseMbox()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool MboxAppender::OpenMbox(QString &failure)
{
    // O_NONBLOCK: a FIFO in the mbox's place must not stall the run.
    fd_ = ::open(NativeName(path_).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ < 0) {
        failure = OpenFailure(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        failure = OpenFailure(errno);
    else if (!S_ISREG(info.st_mode))
        failure = QStringLiteral("the mbox file is not a regular file");
    if (failure.isEmpty())
        return true;
    CloseMbox();
    return false;
}

AppendOutcome MboxAppender::Append(QByteArrayView recordStart, const RecordRest &rest,
                                   const std::function<bool()> &alreadyThere)
{
    AppendOutcome outcome;
    struct stat info {};
    std::optional<MboxLock> lock;
    for (;;) {
        if (fd_ < 0 && !OpenMbox(outcome.reason))
            return outcome;
        lock.emplace(fd_, LockWait{rules_.lockWait, rules_.betweenChunks});
        if (!lock->held()) {
            outcome.reason = lock->failure();
            return outcome;
        }
        if (::fstat(fd_, &info) != 0) {  // it may have grown while the lock was awaited
            outcome.reason = OpenFailure(errno);
            return outcome;
        }
        if (info.st_nlink > 0)
            break;
        lock.reset();
        CloseMbox();  // removed since the last record: appending to it would lose the record
    }
    const int fd = fd_;
    off_t lengthBefore = info.st_size;
    const off_t wholeEndBefore = wholeEnd_;

    // Unchanged since this appender's last record, which ended whole: nothing
    // to look for. Anything another program did since shows in the length.
    if (lengthBefore != wholeEnd_) {
        const AppendMarker::Found found = marker_.Read();
        if (found.present) {
            outcome.reason = CutTornRecord(fd, rules_.io, found, lengthBefore, outcome.notes);
            if (!outcome.reason.isEmpty())
                return outcome;
            // Judged: a marker left behind would be judged again against
            // whatever is appended next, by us or by another program.
            marker_.Clear();
        }
    }
    if (alreadyThere && alreadyThere()) {
        outcome.skipped = true;
        return outcome;
    }
    wholeEnd_ = -1;
    const QByteArray fill = lengthBefore == wholeEndBefore ? QByteArray() : MissingRecordEnd(fd, lengthBefore, rules_.lfLineEnds);
    if (!fill.isEmpty())
        outcome.notes << QStringLiteral("the mbox file did not end with a whole record: line ends were added before the new record");
    const QByteArray head = fill + recordStart.first(qMin(recordStart.size(), AppendMarker::RecordStartKept)).toByteArray();
    if (const QString failure = marker_.Write(lengthBefore, head); !failure.isEmpty()) {
        outcome.reason = QStringLiteral("cannot write the mbox file's side file: ") + failure;
        return outcome;
    }

    // Every way out below leaves either the whole record, or the file cut
    // back and the marker emptied, or (the cut failed) the marker for the
    // next append.
    auto cutBack = [&]() -> bool {
        if (rules_.io.truncate(fd, lengthBefore) != 0)
            return false;
        marker_.Clear();
        return true;
    };
    bool firstPiece = true;
    off_t end = lengthBefore;
    OutputPieces out(WriteChunk, [&](QByteArrayView piece) {
        if (!firstPiece && rules_.betweenChunks)
            rules_.betweenChunks();
        firstPiece = false;
        WriteAll(rules_.io, fd, piece);
        StartWriteBack(fd, end, end + off_t(piece.size()));
        end += off_t(piece.size());
    });
    QString unfinished;
    try {
        out.Append(fill);
        out.Append(recordStart);
        unfinished = rest ? rest(out) : QString();
        if (unfinished.isEmpty())
            out.Flush();
    } catch (const WriteFailed &failed) {
        outcome.reason = QStringLiteral("cannot write the mbox file: ") + SystemReason(failed.error);
        if (!cutBack())
            outcome.reason += QStringLiteral("; its end could not be cut back: ") + SystemReason(errno);
        return outcome;
    } catch (...) {
        // Stopped between two pieces: the part already written goes again.
        cutBack();
        throw;
    }
    if (!unfinished.isEmpty()) {
        outcome.reason = unfinished;
        if (!cutBack())
            outcome.reason += QStringLiteral("; the end of the mbox file could not be cut back: ") + SystemReason(errno);
        return outcome;
    }
    marker_.Clear();
    wholeEnd_ = end;
    outcome.written = true;
    outcome.bytes = end - lengthBefore;
    outcome.offset = lengthBefore + fill.size();
    return outcome;
}

AppendOutcome AppendRecord(const QString &mboxPath, QByteArrayView recordStart, const RecordRest &rest,
                           const AppendRules &rules)
{
    MboxAppender appender(mboxPath, rules);
    return appender.Append(recordStart, rest);
}

AppendOutcome AppendRecord(const QString &mboxPath, const QByteArray &record, const FileIo &io,
                           const std::function<void()> &betweenChunks)
{
    const qsizetype lineEnd = record.indexOf('\n');
    const qsizetype startLength = lineEnd < 0 ? record.size() : qMin(lineEnd + 1, AppendMarker::RecordStartKept);
    const QByteArrayView whole(record);
    return AppendRecord(mboxPath, whole.first(startLength), [&](OutputPieces &out) {
        out.Append(whole.sliced(startLength));
        return QString();
    }, {.io = io, .betweenChunks = betweenChunks});
}

QString FlushToDisk(const QString &mboxPath)
{
    FileDescriptor fd(::open(NativeName(mboxPath).constData(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return QStringLiteral("cannot open the mbox file to flush it: ") + SystemReason(errno);
    if (::fdatasync(fd.get()) != 0)
        return QStringLiteral("cannot flush the mbox file to disk: ") + SystemReason(errno);
    return {};
}
