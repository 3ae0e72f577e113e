#pragma once

#include "engine/message/MessageReader.h"
#include "engine/source/MessageFlags.h"
#include "engine/source/SourceKind.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// One message of a source, as every reader of sources gives it and every
// caller takes it: the run, the dry run, the date order, the copy check and
// the verifier.
struct SourceMessage {
    QString source;    // its file
    // A target chosen for this message alone, in place of the store's rule.
    QString mboxFile;
    // Where the listed folder's own name begins in source, or in namePath (MboxNaming::Rule::Relative).
    qsizetype nameStart = 0;
    // What the file is, and where in it the message lies when it holds more.
    SourceKind kind = SourceKind::Eml;
    QString namePath;      // named after this path, not source (SourceFile::namePath)
    qint64 offset = 0;     // Mbox: the message's bytes in source, still quoted
    qint64 length = -1;
    QByteArray envelope;   // Mbox: its separator line, kept as the record's
    std::optional<MessageFlags> flags;  // what the source's store knew of it

    // The path the output is named after.
    const QString &namedPath() const { return namePath.isEmpty() ? source : namePath; }
};

// The message as its kind of file holds it: the whole file, a range of an
// mbox unquoted, an Apple Mail message by its length, a partial one with its
// attachments put back (what could not be is added to warnings). Throws
// Failure when an Apple Mail file is not what its name says.
MessageReader openMessage(const SourceMessage &message, QStringList *warnings = nullptr);
