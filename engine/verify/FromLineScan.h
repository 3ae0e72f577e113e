#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

class Yielder;

// A line of an mbox that starts with "From ", at the file's start or after a line end.
struct FromLine {
    qint64 number = 0;  // 1-based
    qint64 end = 0;     // the offset after its line end; the file's size for a last line without one
    // The next line starts as a header field's does: a name and a colon, or a folded line.
    bool headerFollows = false;
};

// A second reading of where an mbox's messages begin, by a rule of its own:
// any "From " line that a header line follows, whatever the line before it
// was and whatever a Content-Length says. It shares no code with the
// splitter a run reads mbox sources with, so a fault of that splitter cannot
// hide from it. Bytes are fed in pieces cut anywhere; every "From " line is
// handed on, in order, once the line after it has said enough.
class FromLineScan {
public:
    using Found = std::function<void(const FromLine &)>;
    explicit FromLineScan(Found found) : found_(std::move(found)) {}

    void feed(QByteArrayView piece);
    void finish();

private:
    enum class State { Matching, Plain, InFromLine };
    enum class Judging { First, Name, Space };

    void step(char c);
    void judge(char c);
    void decide(bool headerFollows);

    Found found_;
    qint64 offset_ = 0;
    qint64 line_ = 1;
    State state_ = State::Matching;
    int matched_ = 0;  // of "From ", at a line's start
    FromLine candidate_;
    bool pending_ = false;  // candidate_ waits for the line after it
    Judging judging_ = Judging::First;
};

// Reads the file once, in large pieces. Returns why it could not be read, or empty text.
QString scanFromLines(const QString &path, const FromLineScan::Found &found, Yielder &yielder);
