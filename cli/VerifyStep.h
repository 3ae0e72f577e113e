#pragma once

#include "cli/CommandOptions.h"
#include "cli/Console.h"
#include "cli/RunTally.h"
#include "engine/api/SourceListing.h"
#include "engine/api/Conversion.h"
#include "engine/verify/MboxSplitChecks.h"
#include "engine/verify/SourceDigests.h"

#include <QElapsedTimer>

// The mbox sources of a listing, each with the offsets its messages were read at.
QList<MboxSplit> mboxSplitsOf(const QList<ListedMessage> &messages);

// --verify: every message the run wrote or skipped is looked for in its
// target, read back; each mismatch is named on stderr and kept in the tally.
// sources was told of every message placed, in order (RunTally::onPlaced);
// splits holds the second reading of the listing's mbox sources, begun with
// the run; where it differs is named as a warning.
void verifyRun(const CommandOptions &options, const Store &store, RunTally &tally, SourceDigests &sources,
               MboxSplitChecks &splits, Console &console, const QElapsedTimer &clock);

// --verify-only: every listed message is looked for where a run with the same
// options would have put it, and each mbox source read a second time, as
// --verify does. Nothing is written.
void verifyDestination(const SourceListing &listing, const CommandOptions &options, const Store &store,
                       RunTally &tally, Console &console, const QElapsedTimer &clock);

// The closing line of --verify-only.
QString verifyOnlySummaryLine(const RunTally &tally, qint64 elapsedMs);
