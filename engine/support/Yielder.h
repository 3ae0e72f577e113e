#pragma once

#include <QElapsedTimer>
#include <atomic>
#include <functional>

// Thrown out of a yield point when the window has gone away: the command that
// yielded unwinds at once, and the process ends behind it.
struct Interrupted {};

// A yield point lets the window process its waiting events in the middle of a
// long command. The engine calls out through this; it never touches widgets.
class Yielder {
public:
    virtual ~Yielder() = default;
    // Throttled: cheap enough to call after every row, file or chunk.
    virtual void yield() = 0;
    // Unthrottled: before a modal box and when a command ends.
    virtual void yieldNow() = 0;
    // True when the next yield() will let the window process its events: the
    // moment to bring what it shows up to date.
    virtual bool due() const { return true; }
};

// For callers without a window (tests, a command-line front end).
class NoYield final : public Yielder {
public:
    void yield() override {}
    void yieldNow() override {}
    bool due() const override { return false; }
};

// Processes the event loop at most every ~10 ms, so the window stays live
// without slowing the work a hundredfold. Throws Interrupted once stopRequested
// answers true.
class EventLoopYielder final : public Yielder {
public:
    explicit EventLoopYielder(std::function<bool()> stopRequested);
    void yield() override;
    void yieldNow() override;
    bool due() const override;

    static constexpr qint64 DefaultIntervalMs = 10;
    // 0 yields at every yield point: a test sees every step, whatever the machine's speed.
    void setIntervalMs(qint64 ms) { intervalMs_ = ms; }

private:
    std::function<bool()> stopRequested_;
    qint64 intervalMs_ = DefaultIntervalMs;
    QElapsedTimer sinceLast_;
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
