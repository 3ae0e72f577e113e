#pragma once

#include "engine/support/Failure.h"

// Held for the whole of a conversion run. The window yields in the middle of
// a record, so a second run started from inside that yield would write its
// records into the first one's half-written record: the engine refuses it
// whatever the window's buttons say.
class RunInProgress {
public:
    RunInProgress()
    {
        if (running())
            throw Failure(FailureKind::AlreadyRunning, QStringLiteral("a conversion is running already"));
        running() = true;
    }
    ~RunInProgress() { running() = false; }
    RunInProgress(const RunInProgress &) = delete;
    RunInProgress &operator=(const RunInProgress &) = delete;

private:
    static bool &running()
    {
        static bool running = false;
        return running;
    }
};
