#include "cli/StopSignals.h"

void SignalYielder::Yield()
{
    if (StopRequested())
        throw Interrupted{};
    if (turn_)
        turn_();
}
