#pragma once

// The engine's front door: what the window and the command call. List the
// sources (listSources), make the store the rules choose (makeStore), order
// (orderedByDate) and plan (planRun) a run, run it (convertEntries) and
// verify what it wrote (verifyEntries, with the store's reader).
#include "engine/api/RunPlan.h"
#include "engine/api/SourceListing.h"
#include "engine/run/ConversionRun.h"
#include "engine/run/DateOrder.h"
#include "engine/store/Store.h"
#include "engine/verify/Verification.h"
