#include "engine/verify/FromLineScan.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/RegularFile.h"
#include "engine/support/Yielder.h"

#include <QByteArray>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qint64 PieceSize = 1024 * 1024;
constexpr char FromSpace[] = "From ";

bool isNameByte(char c)
{
    return uchar(c) > ' ' && uchar(c) < 127 && c != ':';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Passes over the lines that cannot start with "From ": stops at the first LF
// that an 'F' follows, or where fewer than two bytes are left. The LFs passed
// over are counted into lines.
const char *skipPlainLines(const char *p, const char *const end, qint64 &lines)
{
#if defined(__SSE2__)
    // Sixty-four bytes a round. The LFs are counted in the lanes of counts,
    // summed only every so often: a count per round would cost more than the
    // look for an 'F' does.
    const __m128i lf = _mm_set1_epi8('\n'), f = _mm_set1_epi8('F'), zero = _mm_setzero_si128();
    __m128i counts = zero;
    int rounds = 0;
    const auto sum = [&] {
        const __m128i sums = _mm_sad_epu8(counts, zero);
        lines += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums));
        counts = zero;
        rounds = 0;
    };
    for (; end - p >= 65; p += 64) {
        __m128i isLf[4];
        __m128i hit = zero;
        for (int k = 0; k < 4; ++k) {
            isLf[k] = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k)), lf);
            const __m128i nextIsF = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k + 1)), f);
            hit = _mm_or_si128(hit, _mm_and_si128(isLf[k], nextIsF));
        }
        if (_mm_movemask_epi8(hit) != 0) {
            sum();
            break;  // the bytes before the hit are counted one by one below
        }
        for (const __m128i &each : isLf)
            counts = _mm_sub_epi8(counts, each);
        if (++rounds == 63)  // a lane holds at most 4 a round, 252 in all
            sum();
    }
    sum();
#endif
    for (; end - p >= 2; ++p) {
        if (*p != '\n')
            continue;
        if (p[1] == 'F')
            return p;
        ++lines;
    }
    return p;
}

} // namespace

void FromLineScan::feed(QByteArrayView piece)
{
    const char *p = piece.data();
    const char *const end = p + piece.size();
    while (p < end) {
        if (state_ == State::Plain && !pending_) {
            const char *stop = skipPlainLines(p, end, line_);
            offset_ += stop - p;
            p = stop;
            if (p == end)
                break;
        }
        step(*p++);
        ++offset_;
    }
}

void FromLineScan::finish()
{
    if (state_ == State::InFromLine) {
        candidate_.end = offset_;
        decide(false);
    } else if (pending_) {
        decide(false);
    }
    state_ = State::Plain;
}

void FromLineScan::step(char c)
{
    if (pending_)
        judge(c);
    switch (state_) {
    case State::Matching:
        if (c == FromSpace[matched_]) {
            if (++matched_ == 5) {
                state_ = State::InFromLine;
                candidate_ = {line_, 0, false};
            }
            return;
        }
        state_ = State::Plain;
        [[fallthrough]];
    case State::Plain:
        if (c == '\n') {
            ++line_;
            state_ = State::Matching;
            matched_ = 0;
        }
        return;
    case State::InFromLine:
        if (c == '\n') {
            ++line_;
            state_ = State::Matching;
            matched_ = 0;
            candidate_.end = offset_ + 1;
            pending_ = true;
            judging_ = Judging::First;
        }
        return;
    }
}

void FromLineScan::judge(char c)
{
    switch (judging_) {
    case Judging::First:
        if (isBlank(c))
            decide(true);
        else if (isNameByte(c))
            judging_ = Judging::Name;
        else
            decide(false);
        return;
    case Judging::Name:
        if (c == ':')
            decide(true);
        else if (isBlank(c))
            judging_ = Judging::Space;
        else if (!isNameByte(c))
            decide(false);
        return;
    case Judging::Space:
        if (c == ':')
            decide(true);
        else if (!isBlank(c))
            decide(false);
        return;
    }
}

void FromLineScan::decide(bool headerFollows)
{
    pending_ = false;
    candidate_.headerFollows = headerFollows;
    found_(candidate_);
}

QString scanFromLines(const QString &path, const FromLineScan::Found &found, Yielder &yielder)
{
    const RegularFile file = openRegularFile(path);
    if (!file.ok())
        return file.failure;
    const FileDescriptor &fd = file.fd;
    const struct stat &info = file.info;
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    QByteArray piece(qBound(qint64(4096), qint64(info.st_size) + 1, PieceSize), Qt::Uninitialized);
    FromLineScan scan(found);
    for (qint64 offset = 0;;) {
        qint64 got = 0;
        if (const int error = readFullyAt(fd.get(), offset, piece.data(), piece.size(), got); error != 0)
            return systemReason(error);
        if (got == 0)
            break;
        scan.feed(QByteArrayView(piece.constData(), got));
        offset += got;
        yielder.yield();
    }
    scan.finish();
    return {};
}
