#pragma once

#include "engine/source/MessageFlags.h"

#include <QString>

// Apple Mail's message file: a line with the message's length in bytes, the
// message, then a property list that holds its flags. The length, never the
// "<?xml" text, says where the message ends: the message may contain that text.
struct EmlxFile {
    QString failure;          // empty when the file has that shape
    qint64 messageOffset = 0;  // the message's first byte in the file
    qint64 messageLength = 0;
    MessageFlags flags;
    bool partial = false;      // N.partial.emlx: attachments stored beside it

    // Reads the length line and the property list; never the message itself.
    static EmlxFile open(const QString &path);
    // Apple Mail's flags integer (bits: 0 read, 1 deleted, 2 answered, 4 flagged, 6 draft, 8 forwarded).
    static MessageFlags flagsFrom(qint64 bits);
    // The flags integer in a property list; -1 when it has none.
    static qint64 flagsIn(const QByteArray &propertyList);
};
