#pragma once

#include "engine/source/SourceMessage.h"
#include "engine/verify/TextDigest.h"

#include <QString>

class Yielder;

// The text of a message file as its copy in a mailbox should read: a leading
// "From " envelope line left out (a "From :" header field is no envelope
// line), line ends made LF, and a line break after the last line.
// failure says why the file could not be read; the digest is then empty.
TextDigest digestOfMessageFile(const QString &path, Yielder &yielder, QString *failure);

// The same for bytes at hand.
TextDigest digestOfMessage(QByteArrayView message);

// The same for a message of any kind of source: an mbox's message unquoted,
// an Apple Mail message by its length, a partial one with its attachments put back.
TextDigest digestOfSource(const SourceMessage &source, Yielder &yielder, QString *failure);
