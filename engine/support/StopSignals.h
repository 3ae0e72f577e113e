#pragma once

// SIGINT, SIGTERM and SIGHUP only raise a flag: a run stops at its next yield
// point, where the record being written is cut back, and then flushes what was
// written. A second signal is the same as the first, not an abort.
void catchStopSignals();
bool stopRequested();
// The signal caught, or 0.
int stopSignal();
// Becomes readable when a stop signal is caught, for an event loop that must
// wake up to it while nothing yields; -1 when it could not be made.
int stopSignalFd();
