#include "convert/MboxIdentities.h"

#include "modules/FileDescriptor.h"
#include "modules/FileNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
constexpr qsizetype ReadPiece = 1024 * 1024;
// A line of thousands of ">" is no quoted "From " line anyone wrote: it is
// taken as it is rather than counted on.
constexpr qsizetype MostQuotes = 4096;
} // namespace

void MboxIdentityReader::Feed(QByteArrayView piece)
{
    lines_.Feed(piece, [this](QByteArrayView text) { Text(text); }, [this] { LineEnd(); });
}

void MboxIdentityReader::Text(QByteArrayView text)
{
    if (atLineStart_) {
        atLineStart_ = false;
        deciding_ = true;
        quotes_ = 0;
        head_.clear();
    }
    while (deciding_ && !text.isEmpty()) {
        const char byte = text.front();
        text = text.sliced(1);
        if (head_.isEmpty() && byte == '>' && quotes_ < MostQuotes) {
            ++quotes_;
            continue;
        }
        head_ += byte;
        if (head_.size() == 5)
            Decide();
    }
    Emit(text);
}

void MboxIdentityReader::Decide()
{
    deciding_ = false;
    const bool from = head_ == "From ";
    if (from && quotes_ == 0) {
        if (inMessage_)
            found_(message_.Finish());
        message_.Reset();
        inMessage_ = true;
        inSeparator_ = true;
        return;
    }
    Emit(QByteArray(from ? quotes_ - 1 : quotes_, '>'));
    Emit(head_);
}

void MboxIdentityReader::Emit(QByteArrayView text)
{
    if (inMessage_ && !inSeparator_)
        message_.Add(text);
}

void MboxIdentityReader::LineEnd()
{
    if (deciding_)
        Decide();
    if (inMessage_ && !inSeparator_)
        message_.EndLine();
    inSeparator_ = false;
    atLineStart_ = true;
}

void MboxIdentityReader::Finish()
{
    if (deciding_)
        Decide();
    if (inMessage_)
        found_(message_.Finish());
    inMessage_ = false;
}

QString ReadMboxIdentities(const QString &mboxPath, const MboxIdentityReader::Found &found,
                           const std::function<void()> &betweenPieces)
{
    // O_NONBLOCK: a FIFO in the mbox's place must not stall the run.
    FileDescriptor fd(::open(NativeName(mboxPath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return errno == ENOENT ? QString() : SystemReason(errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return SystemReason(errno);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("the mbox file is not a regular file");

    MboxIdentityReader reader(found);
    QByteArray piece(ReadPiece, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(fd.get(), piece.data(), size_t(piece.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return SystemReason(errno);
        }
        if (got == 0)
            break;
        reader.Feed(QByteArrayView(piece.constData(), got));
        if (betweenPieces)
            betweenPieces();
    }
    reader.Finish();
    return {};
}
