#pragma once

#include "cli/CommandOptions.h"
#include "engine/api/SourceListing.h"

// Checks made before the first message, so that a run that cannot work
// writes nothing. Each returns one line, "PATH: reason", or empty text.

// Thunderbird runs with the profile the run would write into (--into-thunderbird's, or the one -o or
// --single lies in): it keeps its folders' indexes open and would not see the messages, or spoil them.
[[nodiscard]] QString profileInUseProblem(const CommandOptions &options);

// -o, --single, --report and --manifest each name something that can be written: a
// folder that exists or can be made, a regular file, a report's folder; and no profile in use.
[[nodiscard]] QString destinationProblem(const CommandOptions &options);

// The report or the manifest would overwrite a listed source or an mbox of the run (the same
// path, or the same file through a link).
[[nodiscard]] QString reportClash(const CommandOptions &options, const SourceListing &listing);
