#include "engine/mbox/MboxAppender.h"

#include "engine/mbox/MboxTail.h"
#include "engine/mbox/StreamHash.h"
#include "engine/mbox/TornRecord.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"

#include <algorithm>
#include <chrono>
#include <exception>
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
void writeAll(const FileIo &io, int fd, QByteArrayView data)
{
    if (const int error = writeFully(fd, data, io.write))
        throw WriteFailed{error};
}

// Starts the write-back of every whole WriteBackSpan that this write
// completed, so the flush at the end of a run is short. In spans rather than
// per write: one call per small record would cost more than it saves, and one
// call for a whole large record holds the window.
void startWriteBack(int fd, off_t lengthBefore, off_t lengthAfter)
{
    constexpr off_t WriteBackSpan = 4 * 1024 * 1024;
    const off_t from = lengthBefore / WriteBackSpan * WriteBackSpan;
    const off_t to = lengthAfter / WriteBackSpan * WriteBackSpan;
    if (to > from)
        ::sync_file_range(fd, from, to - from, SYNC_FILE_RANGE_WRITE);  // advice only: its failure changes nothing
}

QString openFailure(int error)
{
    return QStringLiteral("cannot open the mbox file: ") + systemReason(error);
}

// The file a link the user named leads to; any other name as it is.
QString linkTarget(const QString &path, bool follow)
{
    if (!follow)
        return path;
    const QByteArray native = nativeName(path);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char *resolved = ::realpath(native.constData(), nullptr);
    if (!resolved)
        return path;  // a dangling link: opening it names the failure
    const QString target = nameFromNative(resolved);
    ::free(resolved);
    return target;
}

struct MarkerFailed {
    QString reason;
};

} // namespace

MboxAppender::MboxAppender(const QString &mboxPath, AppendRules rules)
    : path_(mboxPath), rules_(std::move(rules)), target_(linkTarget(mboxPath, rules_.followLink)), marker_(target_)
{
}

FileIo FileIo::system()
{
    return {&::write, &::ftruncate};
}

MboxAppender::~MboxAppender()
{
    // The emptied marker goes, unless another program appends right now and may be using it.
    if (lock_) {
        marker_.removeIfEmpty();
    } else if (fd_.valid()) {
        const MboxLock lock(fd_.get(), nativeName(target_), {std::chrono::milliseconds(0), {}, rules_.dotLock});
        if (lock.held())
            marker_.removeIfEmpty();
    }
    closeMbox();
}

void MboxAppender::closeMbox()
{
    lock_.reset();
    fd_.reset();
}

bool MboxAppender::openMbox(QString &failure, int &error)
{
    // O_NONBLOCK: a FIFO in the mbox's place must not stall the run.
    // O_NOFOLLOW: a link planted in the mbox's place must not lead the
    // append, or a cut, to a file elsewhere.
    fd_.reset(::open(nativeName(target_).constData(),
                     O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | (target_ == path_ ? O_NOFOLLOW : 0), 0666));
    if (!fd_.valid()) {
        error = errno;
        failure = error == ELOOP ? QStringLiteral("the mbox file is a symbolic link, which is not followed")
                                 : openFailure(error);
        return false;
    }
    struct stat info {};
    if (::fstat(fd_.get(), &info) != 0)
        failure = openFailure(error = errno);
    else if (!S_ISREG(info.st_mode))
        failure = QStringLiteral("the mbox file is not a regular file");
    if (failure.isEmpty())
        return true;
    closeMbox();
    return false;
}

void MboxAppender::judgeMarker(off_t &length, const struct stat &mbox, AppendOutcome &outcome)
{
    const AppendMarker::Found found = marker_.read(mbox);
    if (!found.present)
        return;
    if (!found.unusable.isEmpty()) {
        outcome.notes << found.unusable;
    } else {
        const AppendMarker::State &marked = found.state;
        const TornRecordVerdict verdict = judgeTornRecord(fd_.get(), length, marked, rules_.betweenChunks);
        switch (verdict.kind) {
        case TornRecordVerdict::NothingWritten:
        case TornRecordVerdict::Whole:
            break;
        case TornRecordVerdict::Ours:
            if (rules_.io.truncate(fd_.get(), marked.start) != 0) {
                outcome.reason = QStringLiteral("cannot cut off the record that an earlier run left unfinished at the end of the mbox file: ")
                                 + systemReason(errno);
                return;
            }
            outcome.notes << QStringLiteral("%1 bytes of a record that an earlier run left unfinished were cut off the end of the mbox file")
                                 .arg(length - marked.start);
            length = marked.start;
            break;
        case TornRecordVerdict::OthersFollow:
            outcome.notes << verdict.why;
            break;
        case TornRecordVerdict::NotOurs:
            outcome.notes << QStringLiteral("the side file %1 was ignored: %2").arg(marker_.path(), verdict.why);
            break;
        }
    }
    // Judged: a marker left behind would be judged again against whatever is
    // appended next, by us or by another program.
    marker_.clear();
}

AppendOutcome MboxAppender::append(QByteArrayView recordStart, const RecordRest &rest,
                                   const std::function<bool()> &alreadyThere)
{
    AppendOutcome outcome;
    if (!lockFailure_.isEmpty()) {
        // Waited for once: every message would wait as long again.
        outcome.reason = lockFailure_;
        outcome.lockFailed = true;
        return outcome;
    }
    // The locks are kept from one record to the next for up to lockLease:
    // taking them (a dot-lock file made and removed) costs more than a small
    // record, and giving them up now and then lets other programs in.
    struct LeaseEnd {
        MboxAppender &appender;
        ~LeaseEnd()
        {
            if (appender.lock_ && (std::uncaught_exceptions() > 0
                                   || std::chrono::steady_clock::now() - appender.lockTaken_ >= appender.rules_.lockLease))
                appender.lock_.reset();
        }
    } leaseEnd{*this};
    struct stat info {};
    for (;;) {
        if (!fd_.valid()) {
            if (!openMbox(outcome.reason, outcome.error))
                return outcome;
            if (target_ != path_)
                outcome.notes << QStringLiteral("the mbox file is a symbolic link to %1, which the messages were appended to").arg(target_);
        }
        if (!lock_) {
            lock_.emplace(fd_.get(), nativeName(target_), LockWait{rules_.lockWait, rules_.betweenChunks, rules_.dotLock});
            lockTaken_ = std::chrono::steady_clock::now();
        }
        if (!lock_->held()) {
            outcome.reason = lockFailure_ = lock_->failure();
            outcome.lockFailed = true;
            lock_.reset();
            return outcome;
        }
        if (::fstat(fd_.get(), &info) != 0) {  // it may have grown while the lock was awaited
            outcome.error = errno;
            outcome.reason = openFailure(outcome.error);
            return outcome;
        }
        if (info.st_nlink > 0)
            break;
        closeMbox();  // removed since the last record: appending to it would lose the record
    }
    const int fd = fd_.get();
    off_t lengthBefore = info.st_size;
    const off_t wholeEndBefore = wholeEnd_;

    // Unchanged since this appender's last record, which ended whole: nothing
    // to look for. Anything another program did since shows in the length.
    if (lengthBefore != wholeEnd_) {
        judgeMarker(lengthBefore, info, outcome);
        if (!outcome.reason.isEmpty())
            return outcome;
    }
    if (alreadyThere && alreadyThere()) {
        outcome.skipped = true;
        return outcome;
    }
    wholeEnd_ = -1;
    const QByteArray fill = lengthBefore == wholeEndBefore ? QByteArray() : missingRecordEnd(fd, lengthBefore, rules_.lfLineEnds);
    if (!fill.isEmpty())
        outcome.notes << QStringLiteral("the mbox file did not end with a whole record: line ends were added before the new record");

    // Every way out below leaves either the whole record, or the file cut
    // back and the marker emptied, or (the cut failed) the marker for the
    // next append.
    auto cutBack = [&]() -> bool {
        if (rules_.io.truncate(fd, lengthBefore) != 0)
            return false;
        marker_.clear();
        return true;
    };
    // The marker goes ahead of each piece: whatever a crash leaves, the next
    // append can tell how much of which record should be there.
    StreamHash hash;
    qint64 written = 0;
    bool finishing = false, lastMarked = false;
    auto mark = [&](QByteArrayView piece) {
        AppendMarker::State state{lengthBefore, written, hash.value(), written, 0, finishing,
                                  piece.first(qMin(piece.size(), AppendMarker::HeadKept)).toByteArray()};
        hash.feed(piece);
        state.end += piece.size();
        state.endHash = hash.value();
        if (const QString failure = marker_.write(state, info); !failure.isEmpty())
            throw MarkerFailed{failure};
        lastMarked = finishing;
    };
    bool firstPiece = true;
    OutputPieces out(WriteChunk, [&](QByteArrayView piece) {
        if (!firstPiece && rules_.betweenChunks)
            rules_.betweenChunks();
        firstPiece = false;
        lock_->keepFresh();
        mark(piece);
        writeAll(rules_.io, fd, piece);
        startWriteBack(fd, lengthBefore + written, lengthBefore + written + off_t(piece.size()));
        written += piece.size();
    });
    QString unfinished;
    try {
        out.append(fill);
        out.append(recordStart);
        unfinished = rest ? rest(out) : QString();
        if (unfinished.isEmpty()) {
            finishing = true;
            out.flush();
            if (!lastMarked)
                mark({});  // the record ended with a full piece: the marker says it is whole
        }
    } catch (const WriteFailed &failed) {
        outcome.error = failed.error;
        outcome.reason = QStringLiteral("cannot write the mbox file: ") + systemReason(failed.error);
        if (!cutBack())
            outcome.reason += QStringLiteral("; its end could not be cut back: ") + systemReason(errno);
        return outcome;
    } catch (const MarkerFailed &failed) {
        outcome.reason = QStringLiteral("cannot write the mbox file's side file: ") + failed.reason;
        outcome.error = marker_.writeError();
        if (written > 0 && !cutBack())
            outcome.reason += QStringLiteral("; the end of the mbox file could not be cut back: ") + systemReason(errno);
        return outcome;
    } catch (...) {
        // Stopped between two pieces: the part already written goes again.
        cutBack();
        throw;
    }
    if (!unfinished.isEmpty()) {
        outcome.reason = unfinished;
        if (!cutBack())
            outcome.reason += QStringLiteral("; the end of the mbox file could not be cut back: ") + systemReason(errno);
        return outcome;
    }
    marker_.clear();
    wholeEnd_ = lengthBefore + written;
    outcome.written = true;
    outcome.bytes = written;
    outcome.offset = lengthBefore + fill.size();
    outcome.recordLength = written - fill.size();
    return outcome;
}

QString flushToDisk(const QString &mboxPath)
{
    FileDescriptor fd(::open(nativeName(mboxPath).constData(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return QStringLiteral("cannot open the mbox file to flush it: ") + systemReason(errno);
    if (::fdatasync(fd.get()) != 0)
        return QStringLiteral("cannot flush the mbox file to disk: ") + systemReason(errno);
    return {};
}
