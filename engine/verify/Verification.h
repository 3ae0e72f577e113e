#pragma once

#include "engine/message/MessageIdentity.h"
#include "engine/verify/SourceDigest.h"
#include "engine/verify/SourceText.h"
#include "engine/verify/TargetReader.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class Yielder;

// A message and where a run put it (or found its copy).
struct VerifyEntry {
    SourceMessage source;
    QString target;        // the mbox file, or the message's file in a maildir
    // Not written: a copy was already there, which may be another entry's record too.
    bool skipped = false;
};

struct VerifyMismatch {
    enum class Kind {
        Missing,     // nothing in the target holds the message
        Changed,     // a record that names the message (its Message-ID or Date) holds other text
        Unreadable,  // the source or the target cannot be read
    };
    QString source;  // the source's file
    QString target;
    Kind kind = Kind::Missing;
    QString detail;  // in words; for a message of an mbox source, which one first
};

struct VerifyRules {
    const TargetReader *reader = nullptr;  // of the store the run wrote into; null: mbox files
    // A message skipped for a copy with the same Message-ID may differ from it.
    DuplicateRule duplicates = DuplicateRule::ExactCopy;
};

struct VerifyResult {
    int checked = 0;
    int verified = 0;
    QList<VerifyMismatch> mismatches;  // target by target
    QStringList targets;               // every mbox file or maildir folder read, in first-use order
    bool clean() const { return mismatches.isEmpty() && verified == checked; }
};

// Reads back every target the entries name, once, and looks in it for each
// entry's message: its text, line ends made alike, with separator lines and
// quoting undone. A target is a multiset: two identical sources written need
// two records, and records no entry asks for (an earlier run's) are no concern.
// progress is told after each entry.
// texts, when given, holds each entry's source text, worked out already
// (SourceDigests); otherwise each source is read here.
VerifyResult verifyEntries(const QList<VerifyEntry> &entries, const VerifyRules &rules, Yielder &yielder,
                           const std::function<void(int done, int total)> &progress = {},
                           const QList<SourceText> *texts = nullptr);

QString mismatchKindName(VerifyMismatch::Kind kind);
