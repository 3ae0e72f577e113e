#pragma once

// GMime must be initialised once per process before its first use; safe to
// call from any thread, any number of times.
void EnsureGMimeInitialised();
