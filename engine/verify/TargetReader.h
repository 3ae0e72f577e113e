#pragma once

#include "engine/verify/TextDigest.h"

#include <QString>
#include <functional>
#include <memory>

class Yielder;

// One message found in what a run wrote.
struct StoredMessage {
    TextDigest digest;
    QString file;
    qint64 offset = -1;   // where its record begins in file; -1: the file is the message
    bool whole = true;    // false: a record cut short (no closing empty line), which no message matches
};

// Reads back one kind of target a run writes, sharing nothing with the code
// that wrote it: a second opinion on the same bytes. Each store hands out
// the reader of what it holds (Store::reader).
class TargetReader {
public:
    virtual ~TargetReader() = default;
    // The unit read at once that holds the message a run put at target (an
    // mbox file, or a maildir folder for a message file in it).
    virtual QString containerOf(const QString &target) const { return target; }
    // Calls each for every message in container, in order; returns why it
    // could not be read, or empty text.
    virtual QString read(const QString &container, const std::function<void(const StoredMessage &)> &each,
                         Yielder &yielder) const = 0;
    // What the place of a stored message is called in words.
    virtual QString placeOf(const StoredMessage &message) const = 0;
};
