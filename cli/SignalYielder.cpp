#include "cli/SignalYielder.h"

void SignalYielder::yield()
{
    if (stopRequested())
        throw Interrupted{};
    if (turn_)
        turn_();
}
