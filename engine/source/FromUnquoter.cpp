#include "engine/source/FromUnquoter.h"

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
    qsizetype at = 0;
    while (at < piece.size()) {
        if (!atLineStart_) {
            const qsizetype lineEnd = piece.indexOf('\n', at);
            if (lineEnd < 0) {
                out += piece.sliced(at);
                return;
            }
            out += piece.sliced(at, lineEnd + 1 - at);
            at = lineEnd + 1;
            atLineStart_ = true;
            continue;
        }
        // Enough of the line's start to judge it, within this piece.
        qsizetype take = 0;
        Verdict verdict = Verdict::Undecided;
        while (verdict == Verdict::Undecided && at + take < piece.size()) {
            held_ += piece[at + take++];
            verdict = judge(held_);
        }
        at += take;
        if (verdict == Verdict::Undecided)
            return;
        out += verdict == Verdict::Quoted ? QByteArrayView(held_).sliced(1) : QByteArrayView(held_);
        atLineStart_ = held_.endsWith('\n');
        held_.clear();
    }
}

void FromUnquoter::finish(QByteArray &out)
{
    out += held_;
    held_.clear();
    atLineStart_ = true;
}
