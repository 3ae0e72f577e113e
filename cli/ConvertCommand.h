#pragma once

#include "cli/CommandOptions.h"

// Exit statuses, as scripts read them.
enum ExitStatus {
    ExitDone = 0,         // every message written or skipped as a duplicate
    ExitSomeFailed = 1,   // a message failed or a folder could not be read
    ExitUsage = 2,
    ExitStopped = 130,    // SIGINT, SIGTERM or SIGHUP
};

// Lists the sources, converts (or, dry, only names the targets), reports.
int runConvertCommand(CommandOptions options);
