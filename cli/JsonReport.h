#pragma once

#include "cli/RunTally.h"

#include <QByteArray>

// The run as JSON (UTF-8):
//   {"totals": {"listed", "written", "skipped", "failed", "bytes"},
//    "interrupted": bool,
//    "mboxes": [{"path", "records", "bytes"}, ...],     records and bytes appended by this run
//    "folders": [{"path", "written", "skipped", "failed", "bytes"}, ...],  each target (mbox file or
//                 maildir folder) and its messages; a message without a target is in none
//    "failures": [{"kind": "message"|"folder"|"mbox", "path", "reason"}, ...],
//    "repairs": [{"path", "what"}, ...],         mbox files mended before this run appended to them
//    "skipped": [{"path", "mbox", "offset"}, ...],  messages not appended: a copy is in "mbox", its record at byte "offset"
//    "warnings": [{"path", "what"}, ...]}        about messages written all the same
// "failed" counts the failed messages. A file name byte that is not part of
// valid UTF-8 is written as the escape "\udcXX" (XX the byte in hex, 80 to
// ff), Python's surrogateescape code for it: json.load gives the string back
// and os.fsencode gives the name's bytes back.
QByteArray jsonReport(const RunTally &tally);

// JSON string literal of the text, quotes included.
QByteArray jsonString(const QString &text);

// Writes the report; empty text on success, else why not.
[[nodiscard]] QString writeJsonReport(const QString &path, const RunTally &tally);
