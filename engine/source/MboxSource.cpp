#include "engine/source/MboxSource.h"

#include "engine/source/MimeParts.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/RegularFile.h"
#include "engine/support/Yielder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qint64 PieceSize = 1024 * 1024;
// Of a line, only its start decides anything; header fields longer than this are not looked into.
constexpr qsizetype LineKept = 4096;

// The first LF in [p, end) that "From " follows, or null.
const char *findFromLine(const char *p, const char *const end)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), f = _mm_set1_epi8('F');
    for (; end - p >= 17; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
        unsigned hits = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, lf), _mm_cmpeq_epi8(next, f))));
        for (; hits != 0; hits &= hits - 1) {
            const char *at = p + __builtin_ctz(hits);
            if (end - at >= 6 && std::memcmp(at + 1, "From ", 5) == 0)
                return at;
        }
    }
#endif
    for (; end - p >= 6; ++p)
        if (*p == '\n' && std::memcmp(p + 1, "From ", 5) == 0)
            return p;
    return nullptr;
}

constexpr QByteArrayView StatusNames[] = {"X-Mozilla-Status:", "X-Mozilla-Status2:"};

class Splitter {
public:
    Splitter(const MboxBytesAt &bytesAt, qint64 size, MboxMessages &out) : bytesAt_(bytesAt), size_(size), out_(out) {}

    // One whole line (without its LF) at offset; lineEnd: the offset after its LF.
    void line(QByteArrayView text, qint64 offset, qint64 lineEnd)
    {
        if (text.endsWith('\r'))
            text.chop(1);
        const bool empty = text.isEmpty();
        if (offset >= skipTo_ && text.startsWith("From ") && (offset == 0 || previousEmpty_)) {
            close(offset);
            current_ = MboxMessage{offset, lineEnd, 0, text.toByteArray()};
            inMessage_ = true;
            inHeader_ = true;
            contentLength_ = -1;
            statusLeft_[0] = statusLeft_[1] = true;
        } else if (inMessage_ && inHeader_) {
            if (statusLeft_[0] || statusLeft_[1])
                statusLine(text, lineEnd);
            if (empty) {
                inHeader_ = false;
                honourContentLength(lineEnd);
            } else if (text.size() > 15 && text.first(15).compare("Content-Length:", Qt::CaseInsensitive) == 0) {
                bool ok = false;
                const qint64 value = text.sliced(15).trimmed().toLongLong(&ok);
                contentLength_ = ok && value >= 0 ? value : -1;
            }
        }
        previousEmpty_ = empty;
    }

    void finish(qint64 end)
    {
        close(end);
    }

    // In a message's body only a "From " line after an empty line can end it.
    bool inBody() const { return inMessage_ && !inHeader_; }
    const MboxMessage *open() const { return inMessage_ ? &current_ : nullptr; }
    // Lines were passed over; the last of them was empty or not.
    void skipped(bool lastEmpty) { previousEmpty_ = lastEmpty; }

private:
    void statusLine(QByteArrayView text, qint64 lineEnd)
    {
        for (int k = 0; k < 2; ++k) {
            if (statusLeft_[k] && text.startsWith(StatusNames[k])) {
                statusLeft_[k] = false;
                current_.statusLength = lineEnd - current_.offset;
                return;
            }
        }
        statusLeft_[0] = statusLeft_[1] = false;  // only the lines straight after the separator
    }

    bool readAt(qint64 offset, char *target, qint64 length, qint64 &got)
    {
        return bytesAt_(offset, target, length, got) == 0;
    }

    // The record before a separator at offset ends with an empty line: not the message's.
    void close(qint64 offset)
    {
        if (!inMessage_)
            return;
        inMessage_ = false;
        if (honouredEnd_ >= 0) {
            current_.length = honouredEnd_ - current_.offset;
            honouredEnd_ = -1;
            out_.messages.append(current_);
            return;
        }
        qint64 end = offset;
        char tail[4] = {};
        qint64 got = 0;
        const qint64 from = qMax(current_.offset, end - 4);
        current_.closed = false;
        if (readAt(from, tail, end - from, got) && got == end - from) {
            const QByteArrayView last(tail, got);
            current_.closed = true;
            if (last.endsWith("\r\n\r\n"))
                end -= 2;
            else if (last.endsWith("\n\n"))
                end -= 1;
            else if (end - current_.offset == 2 && last == "\r\n")
                end -= 2;  // an empty message: its record holds the empty line alone
            else if (end - current_.offset == 1 && last == "\n")
                end -= 1;
            else
                current_.closed = false;
        }
        current_.length = end - current_.offset;
        out_.messages.append(current_);
    }

    // bodyStart + Content-Length must be the file's end, or an empty line and a separator.
    void honourContentLength(qint64 bodyStart)
    {
        if (contentLength_ < 0)
            return;
        const qint64 end = bodyStart + contentLength_;
        if (end == size_) {
            skipTo_ = size_;
            honouredEnd_ = end;
            return;
        }
        char next[8] = {};
        qint64 got = 0;
        if (end > size_ || !readAt(end, next, sizeof next, got))
            return;
        const QByteArrayView after(next, got);
        if (after.startsWith("\nFrom ") || after.startsWith("\r\nFrom ")) {
            skipTo_ = end + (after[0] == '\r' ? 2 : 1);
            honouredEnd_ = end;
        }
    }

    const MboxBytesAt &bytesAt_;
    qint64 size_;
    MboxMessages &out_;
    MboxMessage current_;
    bool inMessage_ = false;
    bool inHeader_ = false;
    bool previousEmpty_ = false;
    qint64 contentLength_ = -1;
    qint64 skipTo_ = 0;        // no separator before this offset (a Content-Length said so)
    qint64 honouredEnd_ = -1;  // where a Content-Length that was taken ends the message
    bool statusLeft_[2] = {false, false};
};

} // namespace

MboxMessages messagesOfMbox(const MboxBytesAt &bytesAt, qint64 size, Yielder &yielder, const MboxPieceSeen &seen)
{
    MboxMessages result;
    Splitter splitter(bytesAt, size, result);
    QByteArray piece(PieceSize, Qt::Uninitialized);
    QByteArray partial;          // the start of a line cut by the piece's end
    qint64 partialOffset = 0;
    qint64 offset = 0;
    for (;;) {
        qint64 got = 0;
        if (const int error = bytesAt(offset, piece.data(), PieceSize, got); error != 0) {
            result.failure = systemReason(error);
            return result;
        }
        if (got == 0)
            break;
        const char *p = piece.constData();
        const char *const end = p + got;
        while (p < end) {
            // Most of an mbox is body text, where no line needs a look until
            // the next "From " line: the lines up to it are passed over.
            if (partial.isEmpty() && splitter.inBody() && p > piece.constData() && end - p > 5 && std::memcmp(p, "From ", 5) != 0) {
                const char *hit = findFromLine(p, end);
                const char *to = hit ? hit : static_cast<const char *>(::memrchr(p, '\n', size_t(end - p)));
                if (to && to - p >= 2) {
                    splitter.skipped(to[-1] == '\n' || (to[-1] == '\r' && to[-2] == '\n'));
                    p = to + 1;
                    if (p == end)
                        break;
                }
            }
            const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            const qint64 at = offset + (p - piece.constData());
            if (!lf) {
                if (partial.isEmpty())
                    partialOffset = at;
                if (partial.size() < LineKept)
                    partial += QByteArrayView(p, qMin<qsizetype>(end - p, LineKept - partial.size()));
                break;
            }
            const qint64 lineEnd = offset + (lf + 1 - piece.constData());
            if (!partial.isEmpty()) {
                if (partial.size() < LineKept)
                    partial += QByteArrayView(p, qMin<qsizetype>(lf - p, LineKept - partial.size()));
                splitter.line(partial, partialOffset, lineEnd);
                partial.clear();
            } else {
                splitter.line(QByteArrayView(p, qMin<qsizetype>(lf - p, LineKept)), at, lineEnd);
            }
            p = lf + 1;
        }
        if (seen)
            seen(QByteArrayView(piece.constData(), got), offset, result.messages, splitter.open());
        offset += got;
        yielder.yield();
    }
    if (!partial.isEmpty())
        splitter.line(partial, partialOffset, offset);
    splitter.finish(offset);
    return result;
}

MboxMessages messagesOfMbox(const QString &path, Yielder &yielder)
{
    const RegularFile file = openRegularFile(path);
    MboxMessages result;
    if (!file.ok()) {
        result.failure = file.failure;
        return result;
    }
    const FileDescriptor &fd = file.fd;
    const struct stat &info = file.info;
    const MboxBytesAt bytesAt = [&fd](qint64 offset, char *target, qint64 length, qint64 &got) {
        return readFullyAt(fd.get(), offset, target, length, got);
    };
    return messagesOfMbox(bytesAt, info.st_size, yielder);
}

MboxMessages messagesOfMbox(QByteArrayView bytes)
{
    const MboxBytesAt bytesAt = [bytes](qint64 offset, char *target, qint64 length, qint64 &got) {
        got = qBound<qint64>(0, bytes.size() - offset, length);
        if (got > 0)
            std::memcpy(target, bytes.data() + offset, size_t(got));
        return 0;
    };
    NoYield yielder;
    return messagesOfMbox(bytesAt, bytes.size(), yielder);
}
