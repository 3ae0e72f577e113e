#include "engine/message/EnvelopeSkip.h"

// The line's parts in turn, from where the last piece left off.
QByteArrayView EnvelopeSkip::decide(QByteArrayView piece)
{
    const char *p = piece.data();
    const char *const end = p + piece.size();
    State state = state_;
    if (state == State::Matching) {
        qsizetype matched = matched_;
        while (p < end && matched < FromSpaceLength && *p == FromSpace[matched]) {
            ++p;
            ++matched;
        }
        matched_ = qint8(matched);
        if (matched < FromSpaceLength) {
            if (p < end)
                state_ = State::NoLine;
            return {p, end - p};
        }
        state = State::Blanks;
    }
    if (state == State::Blanks) {
        const char *const blanks = p;
        while (p < end && (*p == ' ' || *p == '\t'))
            ++p;
        if (p > blanks)
            blanks_.append(blanks, p - blanks);
        if (p == end) {
            state_ = state;
            return {};
        }
        if (*p == ':') {
            // "From :" is a header field in the obsolete syntax.
            state_ = State::NoLine;
            return {p, end - p};
        }
        blanks_ = QByteArray();
        state = State::InLine;
    }
    if (state == State::InLine) {
        while (p < end && *p != '\r' && *p != '\n')
            ++p;
        if (p == end) {
            state_ = state;
            return {};
        }
        state = *p++ == '\r' ? State::AfterCr : State::Done;
    }
    if (state == State::AfterCr && p < end) {
        if (*p == '\n')
            ++p;
        state = State::Done;
    }
    state_ = state;
    return {p, end - p};
}
