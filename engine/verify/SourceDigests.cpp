#include "engine/verify/SourceDigests.h"

#include "engine/support/Yielder.h"
#include "engine/verify/SourceDigest.h"

#include <chrono>

SourceDigests::SourceDigests() : worker_([this] { work(); }) {}

SourceDigests::~SourceDigests()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void SourceDigests::add(const SourceMessage &source)
{
    {
        const std::lock_guard lock(mutex_);
        waiting_.push_back(source);
    }
    changed_.notify_all();
}

void SourceDigests::work()
{
    StopFlagYielder yielder(stopping_);
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_)
            return;
        const SourceMessage source = waiting_.front();
        waiting_.pop_front();
        busy_ = true;
        lock.unlock();
        SourceText text;
        try {
            const TextDigest digest = digestOfSource(source, yielder, &text.failure);
            text.text = TextKey(digest);
            text.key = keyHash(digest.key);
        } catch (const Interrupted &) {
            return;
        } catch (const std::bad_alloc &) {
            text.failure = QStringLiteral("not enough memory to read it");
        }
        lock.lock();
        texts_.append(text);
        busy_ = false;
        changed_.notify_all();
    }
}

QList<SourceText> SourceDigests::finish(Yielder &yielder)
{
    std::unique_lock lock(mutex_);
    while (!changed_.wait_for(lock, std::chrono::milliseconds(5), [this] { return waiting_.empty() && !busy_; })) {
        lock.unlock();
        yielder.yield();
        lock.lock();
    }
    return std::exchange(texts_, {});
}
