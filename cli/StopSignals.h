#pragma once

#include "modules/Yielder.h"

#include <functional>

// SIGINT, SIGTERM and SIGHUP only raise a flag: the run stops at its next
// yield point, where the record being written is cut back, and then flushes
// what was written and says what it did. A second signal is the same as the
// first, not an abort.
void CatchStopSignals();
bool StopRequested();

// Turns a caught stop signal into Interrupted at the engine's yield points,
// and gives the front end a turn there (to redraw its progress line).
class SignalYielder final : public Yielder {
public:
    explicit SignalYielder(std::function<void()> turn = {}) : turn_(std::move(turn)) {}
    void Yield() override;
    void YieldNow() override { Yield(); }
    bool Due() const override { return false; }

private:
    std::function<void()> turn_;
};
