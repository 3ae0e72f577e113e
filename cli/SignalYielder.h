#pragma once

#include "engine/support/StopSignals.h"
#include "engine/support/Yielder.h"

#include <functional>

// Turns a caught stop signal into Interrupted at the engine's yield points,
// and gives the front end a turn there (to redraw its progress line).
class SignalYielder final : public Yielder {
public:
    explicit SignalYielder(std::function<void()> turn = {}) : turn_(std::move(turn)) {}
    void yield() override;
    void yieldNow() override { yield(); }
    bool due() const override { return false; }

private:
    std::function<void()> turn_;
};
