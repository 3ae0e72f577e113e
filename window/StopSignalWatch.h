#pragma once

class QObject;

// A logout or a kill (SIGTERM, SIGHUP, SIGINT) closes every window, as Exit
// does: a command under way stops at its next yield point, a conversion cuts
// back the record being written and flushes what it wrote, and the program
// ends behind its last window.
void closeWindowsOnStopSignals(QObject *owner);
