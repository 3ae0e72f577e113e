#include "engine/support/StopSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<int> caughtSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the flag is set from a signal handler");
int wakePipe[2] = {-1, -1};

void onStopSignal(int signal)
{
    const int savedErrno = errno;  // the interrupted code may be about to read it
    caughtSignal.store(signal, std::memory_order_relaxed);
    if (wakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(wakePipe[1], &byte, 1);  // a full pipe is awake already
    }
    errno = savedErrno;
}

} // namespace

void catchStopSignals()
{
    if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        wakePipe[0] = wakePipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Restarted: a read or write cut short by the signal goes on, and the
    // flag is looked at once it is done.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool stopRequested()
{
    return stopSignal() != 0;
}

int stopSignal()
{
    return caughtSignal.load(std::memory_order_relaxed);
}

int stopSignalFd()
{
    return wakePipe[0];
}
