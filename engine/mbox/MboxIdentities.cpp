#include "engine/mbox/MboxIdentities.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qsizetype ReadPiece = 1024 * 1024;
constexpr qsizetype QuotesAtOnce = 4096;
} // namespace

void MboxIdentityReader::feed(QByteArrayView piece)
{
    piece_ = piece.data();
    lines_.feed(piece, [this](QByteArrayView text) { lineText(text); }, [this] { lineEnd(); });
    position_ += piece.size();
}

void MboxIdentityReader::lineText(QByteArrayView text)
{
    if (atLineStart_) {
        atLineStart_ = false;
        deciding_ = true;
        lineOffset_ = position_ + (text.data() - piece_);
        start_.reset();
    }
    while (deciding_ && !text.isEmpty()) {
        const FromLineStart::Verdict verdict = start_.step(text.front());
        if (verdict == FromLineStart::Verdict::Other) {
            decide(false);
            break;
        }
        text = text.sliced(1);
        if (verdict == FromLineStart::Verdict::FromLine)
            decide(true);
    }
    emit(text);
}

void MboxIdentityReader::decide(bool fromLine)
{
    deciding_ = false;
    if (fromLine && start_.quotes() == 0) {
        if (inMessage_)
            found_(message_.finish(), recordOffset_);
        message_.reset();
        inMessage_ = true;
        inSeparator_ = true;
        recordOffset_ = lineOffset_;
        return;
    }
    static const QByteArray quotes(QuotesAtOnce, '>');
    for (qint64 left = fromLine ? start_.quotes() - 1 : start_.quotes(); left > 0; left -= QuotesAtOnce)
        emit(QByteArrayView(quotes).first(qMin<qint64>(left, QuotesAtOnce)));
    emit(QByteArrayView(FromLineStart::FromSpace, start_.matched()));
}

void MboxIdentityReader::emit(QByteArrayView text)
{
    if (inMessage_ && !inSeparator_)
        message_.add(text);
}

void MboxIdentityReader::lineEnd()
{
    if (deciding_)
        decide(false);
    if (inMessage_ && !inSeparator_)
        message_.endLine();
    inSeparator_ = false;
    atLineStart_ = true;
}

void MboxIdentityReader::finish()
{
    if (deciding_)
        decide(false);
    if (inMessage_)
        found_(message_.finish(), recordOffset_);
    inMessage_ = false;
}

MboxScan readMboxIdentities(const QString &mboxPath, const MboxIdentityReader::Found &found, DuplicateRule rule,
                            qint64 from, const std::function<void()> &betweenPieces)
{
    MboxScan scan;
    scan.end = from;
    // O_NONBLOCK: a FIFO in the mbox's place must not stall the run.
    FileDescriptor fd(::open(nativeName(mboxPath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        if (errno != ENOENT)
            scan.failure = systemReason(errno);
        return scan;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        scan.failure = systemReason(errno);
        return scan;
    }
    if (!S_ISREG(info.st_mode)) {
        scan.failure = QStringLiteral("the mbox file is not a regular file");
        return scan;
    }
    scan.device = info.st_dev;
    scan.inode = info.st_ino;

    MboxIdentityReader reader(found, rule, from);
    QByteArray piece(ReadPiece, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::pread(fd.get(), piece.data(), size_t(piece.size()), off_t(scan.end));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            scan.failure = systemReason(errno);
            return scan;
        }
        if (got == 0)
            break;
        scan.end += got;
        reader.feed(QByteArrayView(piece.constData(), got));
        if (betweenPieces)
            betweenPieces();
    }
    reader.finish();
    return scan;
}
