#pragma once

#include "engine/mbox/AppendMarker.h"

#include <QString>
#include <functional>
#include <sys/types.h>

// What the bytes from a marked record's start to the end of the mbox are.
struct [[nodiscard]] TornRecordVerdict {
    enum Kind {
        NothingWritten,  // the mbox ends where the record would start
        Ours,            // exactly a prefix of the record as planned: may be cut
        Whole,           // the whole record, perhaps with other mail after it: kept
        OthersFollow,    // our unfinished record, then other mail: kept
        NotOurs,         // the marker does not describe this file: ignored
    };
    Kind kind = NothingWritten;
    QString why;  // for NotOurs and OthersFollow
};

// Judges an mbox of this length against a marker read beside it. The part
// already written is checked by its hash, the piece being written by its
// first bytes, its hash when it is all there, and else by its length and by
// having no line starting "From " (this program quotes every such line of a
// message, so one is another program's mail). betweenReads runs between two
// reads of a long record (a yield point; it may throw).
TornRecordVerdict judgeTornRecord(int fd, off_t length, const AppendMarker::State &marked,
                                  const std::function<void()> &betweenReads);
