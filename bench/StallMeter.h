#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Measures how long the event loop goes without a turn: a 0 ms timer fires
// on every turn, and the longest gap between two firings is the worst stall.
class StallMeter final : public QObject {
public:
    StallMeter()
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { mark(); });
    }
    void start()
    {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        timer_.start();
    }
    // Call at the end too, so the gap before it counts.
    void mark()
    {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    void stop()
    {
        mark();
        timer_.stop();
    }
    double longestMs() const { return static_cast<double>(longest_) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};
