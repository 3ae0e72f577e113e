#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <utility>

// Leaves out the "From " envelope line that a message saved out of an mbox
// often still starts with; the line is no part of the message. Every reader
// of a message's text goes through this one rule, fed the message in pieces
// of any size, cut anywhere: "From ", any spaces or tabs, then anything but
// ":" up to the first CR LF, lone CR or LF ("From :" with blanks before the
// colon is a header field in the obsolete syntax, no envelope line).
//
// Until the rule has decided, the line's start ("From " and its blanks) is
// held back; afterwards every piece is handed on as it came.
//
//     EnvelopeSkip envelope;
//     envelope.feed(piece, [&](QByteArrayView text) { ... });  // each piece
//     envelope.finish([&](QByteArrayView text) { ... });
class EnvelopeSkip {
public:
    template <typename HandOn>
    void feed(QByteArrayView piece, HandOn &&handOn)
    {
        if (state_ != State::Done) {
            piece = decide(piece);
            if (state_ == State::NoLine)
                release(handOn);
            if (piece.isEmpty())
                return;
        }
        handOn(piece);
    }

    // After the last piece: a start still held back was no envelope line
    // (a message that is all envelope line hands on nothing).
    template <typename HandOn>
    void finish(HandOn &&handOn)
    {
        if (state_ == State::Matching)
            release(handOn);
        blanks_ = QByteArray();
        state_ = State::Done;
    }

private:
    enum class State : quint8 { Matching, Blanks, InLine, AfterCr, NoLine, Done };

    // What is left of piece once the rule has decided on the line.
    QByteArrayView decide(QByteArrayView piece);

    template <typename HandOn>
    void release(HandOn &handOn)
    {
        state_ = State::Done;
        if (matched_ > 0)
            handOn(QByteArrayView(FromSpace, matched_));
        if (!blanks_.isEmpty())
            handOn(QByteArrayView(std::exchange(blanks_, QByteArray())));
    }

    static constexpr char FromSpace[] = "From ";
    static constexpr qsizetype FromSpaceLength = sizeof FromSpace - 1;

    State state_ = State::Matching;
    qint8 matched_ = 0;  // bytes of "From " seen
    QByteArray blanks_;  // after "From ", until the byte that decides
};
