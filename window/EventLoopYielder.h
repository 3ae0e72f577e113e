#pragma once

#include "engine/support/Yielder.h"

#include <QElapsedTimer>
#include <functional>

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
