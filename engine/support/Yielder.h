#pragma once

#include <atomic>

// Thrown out of a yield point when the caller has asked to stop: the command
// that yielded unwinds at once.
struct Interrupted {};

// A yield point lets the caller do its own work (a window processes its
// waiting events) in the middle of a long command. The engine calls out
// through this, and never asks who is behind it.
class Yielder {
public:
    virtual ~Yielder() = default;
    // Throttled: cheap enough to call after every row, file or chunk.
    virtual void yield() = 0;
    // Unthrottled: before the caller waits on the user, and when a command ends.
    virtual void yieldNow() = 0;
    // True when the next yield() will let the caller run: the moment to bring
    // what it shows up to date.
    virtual bool due() const { return true; }
};

// For callers without a window (tests, a command-line front end).
class NoYield final : public Yielder {
public:
    void yield() override {}
    void yieldNow() override {}
    bool due() const override { return false; }
};

// The yield points of work done on a thread beside the caller's: it stops,
// throwing Interrupted, once told to.
class StopFlagYielder final : public Yielder {
public:
    explicit StopFlagYielder(const std::atomic<bool> &stop) : stop_(stop) {}
    void yield() override
    {
        if (stop_.load(std::memory_order_relaxed))
            throw Interrupted();
    }
    void yieldNow() override { yield(); }
    bool due() const override { return false; }

private:
    const std::atomic<bool> &stop_;
};
