#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <functional>

class Yielder;

// One message of an mbox file given as a source.
struct MboxMessage {
    qint64 recordOffset = 0;  // its separator line's first byte
    qint64 offset = 0;        // its first byte, after the separator line
    qint64 length = 0;        // up to the empty line that closes its record; still quoted
    QByteArray envelope;      // the separator line, without its line end
    // The record ends with its empty line (or a Content-Length that was
    // taken): false for a last record cut short.
    bool closed = true;
    // The X-Mozilla-Status and X-Mozilla-Status2 lines straight after the
    // separator (each at most once): Thunderbird's own, not the message's.
    qint64 statusLength = 0;
};

struct MboxMessages {
    QList<MboxMessage> messages;
    QString failure;     // why the file could not be read to its end
};

// Reads length bytes at offset into target; got is less at the end. 0, or
// the errno of a failure.
using MboxBytesAt = std::function<int(qint64 offset, char *target, qint64 length, qint64 &got)>;

// Sees each piece of the file the splitter reads, once it has taken it in:
// the messages found so far, which all end before the piece's end, and the
// one whose end is not known yet (null when there is none; its length is
// not set). A message's text ends at most two bytes (the closing line's end)
// before the start of the next record's separator line, which starts with "From ".
using MboxPieceSeen = std::function<void(QByteArrayView piece, qint64 offset, const QList<MboxMessage> &found,
                                         const MboxMessage *open)>;

// Splits an mbox at its separator lines: a line that starts with "From " at
// the file's start or after an empty line. A message's Content-Length field
// (mboxcl, mboxcl2) is taken only when it ends the message at the empty line
// before a separator, or at the file's end; anything else a writer could
// have put there decides nothing. Reads the bytes once, in pieces. This is
// the one splitter of mbox files: for the sources of a run, for --verify and
// for the copies --skip-duplicates looks for.
MboxMessages messagesOfMbox(const MboxBytesAt &bytesAt, qint64 size, Yielder &yielder, const MboxPieceSeen &seen = {});
MboxMessages messagesOfMbox(const QString &path, Yielder &yielder);
MboxMessages messagesOfMbox(QByteArrayView bytes);
