#pragma once

#include "engine/api/Conversion.h"
#include "engine/support/FileDescriptor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The run's manifest: one JSON object a line (JSON Lines, UTF-8) for every
// message, in the order the run took them (the write order), with the same
// keys on every line:
//   "path"      the message file (file name bytes as in the JSON report)
//   "status"    "written", "skipped" (a copy is at "file" + "offset") or "failed"
//   "file"      the mbox written to, or holding the copy; null when failed
//   "offset"    where the record begins in "file"; null for a file holding
//               only this message, or when failed
//   "length"    the record's bytes; null unless written
//   "hash"      XXH3-128 (seed 0, 32 hex digits) of the message with a leading
//               "From " envelope line left out, every line end made LF and
//               the line ends at its end dropped; null when not read whole
//   "date"      the date of its separator line, UTC, "YYYY-MM-DDTHH:MM:SSZ"; null when not read
//   "reason"    why it failed; null otherwise
//   "warnings"  texts: no header fields, a date taken from a fallback
// Lines go to a temporary file beside the manifest's place, renamed into it
// at the end: a run that fails midway leaves the old manifest, never half of
// a new one. A pipe or a terminal is written to as the run goes.
class Manifest {
public:
    Manifest() = default;
    ~Manifest();
    Manifest(const Manifest &) = delete;
    Manifest &operator=(const Manifest &) = delete;

    // Empty text, or why the manifest cannot be written.
    [[nodiscard]] QString open(const QString &path);
    bool isOpen() const { return fd_.get() >= 0; }

    void written(const QString &source, const QString &file, qint64 offset, const MessageFacts &facts,
                 const QStringList &warnings);
    void skipped(const QString &source, const QString &file, qint64 offset, const MessageFacts *facts,
                 const QStringList &warnings);
    void failed(const QString &source, const QString &reason, const MessageFacts *facts, const QStringList &warnings);

    // Puts the manifest in its place; empty text, or why not.
    [[nodiscard]] QString finish();

private:
    void line(const QString &source, const char *status, const QString *file, qint64 offset, qint64 length,
              const MessageFacts *facts, const QString *reason, const QStringList &warnings);
    void flush();

    FileDescriptor fd_;
    QByteArray place_;      // the manifest's own name
    QByteArray temporary_;  // empty when written in place
    QByteArray pending_;
    int error_ = 0;
    mode_t mode_ = 0;
};

// A warning about how the message's date was found; empty when it came from its header.
QString dateWarning(DateSource source);
