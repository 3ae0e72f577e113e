#pragma once

#include <QtGlobal>

// The one mboxrd rule that the record writer and every mbox reader share: a
// line that is ">"s (any number of them, or none) then "From " is a From line.
// The writer puts one more ">" before it; a reader takes a separator for it
// when it has no ">", and takes one ">" off when it has some. Nothing else is
// quoted or unquoted, and no count of ">"s is too long for the rule.
//
// Fed a line's first bytes one at a time, it says when the line is known to
// be a From line or not; the bytes fed so far are always quotes() ">"s then
// the first matched() bytes of "From ".
class FromLineStart {
public:
    enum class Verdict { Undecided, FromLine, Other };

    static constexpr char FromSpace[] = "From ";
    static constexpr int FromSpaceLength = 5;

    // Other: c is not part of the start (it stays the caller's).
    Verdict step(char c)
    {
        if (matched_ == 0 && c == '>') {
            ++quotes_;
            return Verdict::Undecided;
        }
        if (c != FromSpace[matched_])
            return Verdict::Other;
        return ++matched_ == FromSpaceLength ? Verdict::FromLine : Verdict::Undecided;
    }
    void reset() { quotes_ = 0; matched_ = 0; }
    qint64 quotes() const { return quotes_; }
    int matched() const { return matched_; }
    bool empty() const { return quotes_ == 0 && matched_ == 0; }

private:
    qint64 quotes_ = 0;
    int matched_ = 0;
};
