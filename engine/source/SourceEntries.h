#pragma once

#include "engine/source/SourceMessage.h"
#include "engine/source/SourceWalk.h"

class Yielder;

// A listing's messages as a run's entries: every mbox file split into its
// messages, the flags of maildir messages read from their names. An mbox
// that cannot be read is named in unreadable.
QList<SourceMessage> sourceEntries(const TypedListing &listing, Yielder &yielder, QList<LeftOutFile> &unreadable);
