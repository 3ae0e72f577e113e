#pragma once

#include <QByteArrayView>
#include <QString>

// What a file or folder given as a source is taken for, from its name and
// its first bytes.
enum class SourceKind {
    Unknown,
    Eml,           // one message
    Emlx,          // Apple Mail: one message, its length and flags
    PartialEmlx,   // Apple Mail: one message, its attachments stored beside it
    Mbox,          // many messages, each after a "From " separator line
    Maildir,       // a folder with cur/ and new/: one file per message
};

// A file: by its name (.eml, .emlx, .partial.emlx) and else by its first bytes
// (a "From " line starts an mbox). start holds at least the first line.
SourceKind fileKind(const QString &name, QByteArrayView start);

// A folder holding cur/ and new/ is a maildir, whatever else it holds.
bool isMaildir(const QString &folder);

// The word the dry run and the report use for a kind.
QString kindName(SourceKind kind);
