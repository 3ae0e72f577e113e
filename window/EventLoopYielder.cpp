#include "window/EventLoopYielder.h"

#include <QCoreApplication>

EventLoopYielder::EventLoopYielder(std::function<bool()> stopRequested)
    : stopRequested_(std::move(stopRequested))
{
    sinceLast_.start();
}

bool EventLoopYielder::due() const
{
    return sinceLast_.elapsed() >= intervalMs_;
}

void EventLoopYielder::yield()
{
    if (due())
        yieldNow();
}

void EventLoopYielder::yieldNow()
{
    if (stopRequested_ && stopRequested_())
        throw Interrupted{};
    QCoreApplication::processEvents();
    sinceLast_.restart();
    if (stopRequested_ && stopRequested_())
        throw Interrupted{};
}
