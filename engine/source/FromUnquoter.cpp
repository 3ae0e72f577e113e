#include "engine/source/FromUnquoter.h"

#include <cstring>

namespace {

// How a line's start reads: a quoted "From ", not one, or not known yet.
enum class Verdict { Quoted, Plain, Undecided };

Verdict judge(QByteArrayView start)
{
    qsizetype at = 0;
    while (at < start.size() && start[at] == '>')
        ++at;
    if (at == 0)
        return Verdict::Plain;
    const QByteArrayView rest = start.sliced(at);
    static constexpr QByteArrayView From("From ");
    if (rest.size() >= From.size())
        return rest.startsWith(From) ? Verdict::Quoted : Verdict::Plain;
    return From.startsWith(rest) ? Verdict::Undecided : Verdict::Plain;
}

} // namespace

void FromUnquoter::feed(QByteArrayView piece, QByteArray &out)
{
    const char *const data = piece.data();
    const qsizetype size = piece.size();
    qsizetype at = 0;
    while (at < size) {
        // Only a line that starts with ">" can be a quoted "From ": it is held until judged.
        if (atLineStart_ && (!held_.isEmpty() || data[at] == '>')) {
            Verdict verdict = Verdict::Undecided;
            while (verdict == Verdict::Undecided && at < size) {
                held_ += data[at++];
                verdict = judge(held_);
            }
            if (verdict == Verdict::Undecided)
                return;
            out += verdict == Verdict::Quoted ? QByteArrayView(held_).sliced(1) : QByteArrayView(held_);
            atLineStart_ = held_.endsWith('\n');
            held_.resize(0);
            continue;
        }
        // Everything else goes out in one stretch, up to the next line that starts with ">".
        const qsizetype from = at;
        atLineStart_ = false;
        while (at < size) {
            const char *lf = static_cast<const char *>(std::memchr(data + at, '\n', size_t(size - at)));
            if (!lf) {
                at = size;
                atLineStart_ = false;  // the piece ends inside a line
                break;
            }
            at = lf - data + 1;
            atLineStart_ = true;
            if (at < size && data[at] == '>')
                break;
        }
        out.append(data + from, at - from);
    }
}

void FromUnquoter::finish(QByteArray &out)
{
    out += held_;
    held_.resize(0);
    atLineStart_ = true;
}
