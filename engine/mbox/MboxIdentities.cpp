#include "engine/mbox/MboxIdentities.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/RegularFile.h"
#include "engine/support/Yielder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// For the rare message read again: small enough to stay in the processor's cache.
constexpr qint64 ReadPiece = 256 * 1024;

class CallingYielder final : public Yielder {
public:
    explicit CallingYielder(const std::function<void()> &call) : call_(call) {}
    void yield() override
    {
        if (call_)
            call_();
    }
    void yieldNow() override { yield(); }
    bool due() const override { return false; }

private:
    const std::function<void()> &call_;
};

} // namespace

void MboxIdentityReader::seen(QByteArrayView piece, qint64 offset, const QList<MboxMessage> &found,
                              const MboxMessage *open)
{
    for (; next_ < found.size() && failure_.isEmpty(); ++next_) {
        const MboxMessage &message = found[next_];
        feed(message.recordOffset == openRecord_ ? fedTo_ : message.offset, message.offset + message.length, piece, offset);
        finishMessage(message);
    }
    const qint64 end = offset + piece.size();
    if (const void *lf = ::memrchr(piece.data(), '\n', size_t(piece.size())))
        lineStart_ = offset + (static_cast<const char *>(lf) + 1 - piece.data());
    if (open && failure_.isEmpty()) {
        if (open->recordOffset != openRecord_) {
            openRecord_ = open->recordOffset;
            fedTo_ = open->offset;
        }
        // Held back: what may yet be the closing line end and the next separator line.
        const qint64 certain = (mayBeSeparator(piece, offset) ? lineStart_ : end) - 2;
        if (certain > fedTo_) {
            feed(fedTo_, certain, piece, offset);
            fedTo_ = certain;
        }
    }
    if (openRecord_ < 0) {
        held_.resize(0);
        heldFrom_ = end;
        return;
    }
    const qint64 from = qMax(fedTo_, heldFrom_);
    if (end - from > heldAtMost_) {  // read again from the file when it is fed
        held_.resize(0);
        heldFrom_ = end;
    } else if (from >= offset) {
        held_.resize(0);
        held_.append(piece.sliced(from - offset));
        heldFrom_ = from;
    } else {
        held_.remove(0, from - heldFrom_);
        held_.append(piece);
        heldFrom_ = from;
    }
}

QString MboxIdentityReader::finish(const QList<MboxMessage> &all)
{
    for (; next_ < all.size() && failure_.isEmpty(); ++next_) {
        const MboxMessage &message = all[next_];
        feed(message.recordOffset == openRecord_ ? fedTo_ : message.offset, message.offset + message.length, {},
             heldFrom_ + held_.size());
        finishMessage(message);
    }
    return failure_;
}

// The last line seen starts as "From " does, as far as it goes, or may: not all of it is held.
bool MboxIdentityReader::mayBeSeparator(QByteArrayView piece, qint64 offset) const
{
    static constexpr QByteArrayView FromSpace("From ");
    if (lineStart_ < fedTo_)
        return false;  // judged before, and fed
    if (lineStart_ < heldFrom_)
        return true;
    const qint64 end = qMin(lineStart_ + FromSpace.size(), offset + piece.size());
    for (qint64 at = lineStart_; at < end; ++at)
        if ((at < offset ? held_[at - heldFrom_] : piece[at - offset]) != FromSpace[at - lineStart_])
            return false;
    return true;
}

// The bytes [from, to) are in the file before heldFrom_, in held_ from there, and then in piece.
void MboxIdentityReader::feed(qint64 from, qint64 to, QByteArrayView piece, qint64 offset)
{
    if (from < heldFrom_ && from < to) {
        readAgain(from, qMin(to, heldFrom_));
        from = qMin(to, heldFrom_);
    }
    if (const qint64 stop = qMin(to, offset); from < stop) {
        text(QByteArrayView(held_).sliced(from - heldFrom_, stop - from));
        from = stop;
    }
    if (const qint64 stop = qMin(to, offset + piece.size()); from < stop)
        text(piece.sliced(from - offset, stop - from));
}

void MboxIdentityReader::finishMessage(const MboxMessage &message)
{
    unquoted_.resize(0);
    unquoter_.finish(unquoted_);
    identity_.feed(unquoted_);
    if (failure_.isEmpty())  // else not the whole text
        found_(identity_.finish(), message.recordOffset);
    identity_.reset();
    openRecord_ = -1;
}

void MboxIdentityReader::readAgain(qint64 from, qint64 to)
{
    if (readBuffer_.isEmpty())
        readBuffer_.resize(ReadPiece);
    while (from < to && failure_.isEmpty() && !identity_.known()) {
        qint64 got = 0;
        if (const int error = bytesAt_(from, readBuffer_.data(), qMin(to - from, ReadPiece), got); error != 0)
            failure_ = systemReason(error);
        if (got == 0)
            return;
        text(QByteArrayView(readBuffer_).first(got));
        from += got;
    }
}

void MboxIdentityReader::text(QByteArrayView bytes)
{
    // Once the header block has given the identity, the body changes nothing.
    if (!identity_.known())
        unquoter_.feed(bytes, toIdentity_);
}

QString identitiesOfMbox(const MboxBytesAt &bytesAt, qint64 size, const MboxIdentityReader::Found &found,
                         DuplicateRule rule, Yielder &yielder, qint64 heldAtMost)
{
    MboxIdentityReader reader(bytesAt, found, rule, heldAtMost);
    const MboxMessages split = messagesOfMbox(bytesAt, size, yielder, [&reader](QByteArrayView piece, qint64 offset,
                                                                                const QList<MboxMessage> &found,
                                                                                const MboxMessage *open) {
        reader.seen(piece, offset, found, open);
    });
    if (!split.failure.isEmpty())
        return split.failure;
    return reader.finish(split.messages);
}

MboxScan readMboxIdentities(const QString &mboxPath, const MboxIdentityReader::Found &found, DuplicateRule rule,
                            qint64 from, const std::function<void()> &betweenPieces)
{
    MboxScan scan;
    scan.end = from;
    const RegularFile file = openRegularFile(mboxPath);
    if (!file.ok()) {
        if (file.error == 0)
            scan.failure = QStringLiteral("the mbox file is not a regular file");
        else if (file.error != ENOENT)  // a missing mbox holds no message
            scan.failure = file.failure;
        return scan;
    }
    const FileDescriptor &fd = file.fd;
    const struct stat &info = file.info;
    scan.device = info.st_dev;
    scan.inode = info.st_ino;
    if (info.st_size <= from)
        return scan;

    // The file as long as it is now: what is appended meanwhile is read the next time.
    const qint64 length = info.st_size - from;
    const MboxBytesAt bytesAt = [&fd, from, length](qint64 offset, char *target, qint64 wanted, qint64 &got) {
        got = 0;
        return readFullyAt(fd.get(), from + offset, target, qBound<qint64>(0, length - offset, wanted), got);
    };
    CallingYielder yielder(betweenPieces);
    scan.failure = identitiesOfMbox(bytesAt, length, [&](const QByteArray &identity, qint64 offset) {
        found(identity, from + offset);
    }, rule, yielder);
    if (scan.failure.isEmpty())
        scan.end = info.st_size;
    return scan;
}
