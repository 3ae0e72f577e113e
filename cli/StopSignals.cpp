#include "cli/StopSignals.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

void OnStopSignal(int)
{
    stopRequested.store(true, std::memory_order_relaxed);
}

} // namespace

void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Restarted: a read or write cut short by the signal goes on, and the
    // flag is looked at once it is done.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool StopRequested()
{
    return stopRequested.load(std::memory_order_relaxed);
}

void SignalYielder::Yield()
{
    if (StopRequested())
        throw Interrupted{};
    if (turn_)
        turn_();
}
