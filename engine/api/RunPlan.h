#pragma once

#include "engine/source/SourceMessage.h"
#include "engine/store/Store.h"

#include <QList>
#include <QString>
#include <functional>

class Yielder;

// What a run would do with one message: the target it would write it to, or
// the copy already there it would skip it for, or why it would fail.
struct PlannedMessage {
    const SourceMessage &message;
    QString target;     // empty when it has none (failure says why)
    StoreOutcome copy;  // with lookForCopies: copy.file names the copy, empty when there is none
    QString failure;
};

// The dry run: every message's plan, in order, told to each; nothing is
// written or locked. With lookForCopies the store is asked for a copy of each
// message, in what it holds and among the messages planned before it.
// Interrupted, thrown by a yield point, passes through.
void planRun(const QList<SourceMessage> &messages, Store &store, bool lookForCopies, Yielder &yielder,
             const std::function<void(const PlannedMessage &)> &each);
