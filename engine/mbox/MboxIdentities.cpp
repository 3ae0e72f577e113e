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

void MboxIdentityReader::Feed(QByteArrayView piece)
{
    piece_ = piece.data();
    lines_.Feed(piece, [this](QByteArrayView text) { Text(text); }, [this] { lineEnd(); });
    position_ += piece.size();
}

void MboxIdentityReader::Text(QByteArrayView text)
{
    if (atLineStart_) {
        atLineStart_ = false;
        deciding_ = true;
        lineOffset_ = position_ + (text.data() - piece_);
        start_.Reset();
    }
    while (deciding_ && !text.isEmpty()) {
        const FromLineStart::Verdict verdict = start_.step(text.front());
        if (verdict == FromLineStart::Verdict::Other) {
            Decide(false);
            break;
        }
        text = text.sliced(1);
        if (verdict == FromLineStart::Verdict::FromLine)
            Decide(true);
    }
    emit(text);
}

void MboxIdentityReader::Decide(bool fromLine)
{
    deciding_ = false;
    if (fromLine && start_.quotes() == 0) {
        if (inMessage_)
            found_(message_.Finish(), recordOffset_);
        message_.Reset();
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
        message_.Add(text);
}

void MboxIdentityReader::lineEnd()
{
    if (deciding_)
        Decide(false);
    if (inMessage_ && !inSeparator_)
        message_.endLine();
    inSeparator_ = false;
    atLineStart_ = true;
}

void MboxIdentityReader::Finish()
{
    if (deciding_)
        Decide(false);
    if (inMessage_)
        found_(message_.Finish(), recordOffset_);
    inMessage_ = false;
}

MboxScan ReadMboxIdentities(const QString &mboxPath, const MboxIdentityReader::Found &found, DuplicateRule rule,
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
        reader.Feed(QByteArrayView(piece.constData(), got));
        if (betweenPieces)
            betweenPieces();
    }
    reader.Finish();
    return scan;
}
