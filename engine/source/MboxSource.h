#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class Yielder;

// One message of an mbox file given as a source.
struct MboxMessage {
    qint64 offset = 0;   // its first byte, after the separator line
    qint64 length = 0;   // up to the empty line that closes its record; still quoted
    QByteArray envelope; // the separator line, without its line end
};

struct MboxMessages {
    QList<MboxMessage> messages;
    QString failure;     // why the file could not be read to its end
};

// Splits an mbox at its separator lines: a line that starts with "From " at
// the file's start or after an empty line. A message's Content-Length field
// (mboxcl, mboxcl2) is taken only when it ends the message at the empty line
// before a separator, or at the file's end; anything else a writer could
// have put there decides nothing. Reads the file once, in pieces.
MboxMessages messagesOfMbox(const QString &path, Yielder &yielder);
