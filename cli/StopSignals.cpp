#include "cli/StopSignals.h"

void SignalYielder::yield()
{
    if (stopRequested())
        throw Interrupted{};
    if (turn_)
        turn_();
}
