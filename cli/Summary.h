#pragma once

#include "cli/RunTally.h"

// The closing line on stderr, e.g. "converted 2984 of 2986 messages into 19
// mbox files (1.1 GiB) in 3.2 s; 2 failed, see above".
QString summaryLine(const RunTally &tally, qint64 elapsedMs);

// The dry run's closing line.
QString dryRunSummaryLine(const RunTally &tally, qsizetype mboxFiles);

// The one line for a run that a full disk or a read-only file system ended:
// what stopped it, how many messages were not tried, and how to go on.
QString diskStopLine(int error, int notTried);
