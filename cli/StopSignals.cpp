#include "cli/StopSignals.h"

void SignalYielder::Yield()
{
    if (stopRequested())
        throw Interrupted{};
    if (turn_)
        turn_();
}
