#include "engine/support/Yielder.h"

#include <QCoreApplication>

EventLoopYielder::EventLoopYielder(std::function<bool()> stopRequested)
    : stopRequested_(std::move(stopRequested))
{
    sinceLast_.start();
}

bool EventLoopYielder::Due() const
{
    return sinceLast_.elapsed() >= intervalMs_;
}

void EventLoopYielder::Yield()
{
    if (Due())
        YieldNow();
}

void EventLoopYielder::YieldNow()
{
    if (stopRequested_ && stopRequested_())
        throw Interrupted{};
    QCoreApplication::processEvents();
    sinceLast_.restart();
    if (stopRequested_ && stopRequested_())
        throw Interrupted{};
}
