#pragma once

#include <QString>
#include <chrono>
#include <functional>

struct LockWait {
    std::chrono::milliseconds limit = std::chrono::seconds(30);
    // Runs between two tries (a yield point; it may throw to give up).
    std::function<void()> betweenTries;
};

// An fcntl write lock on the whole of an open mbox file, held for as long as
// this object lives, as mail programs (mutt and others) lock an mbox before
// they write to it. Open-file-description locks are used where the kernel has
// them: they conflict with the classic locks of other processes and also
// between two descriptors of this one.
class MboxLock {
public:
    MboxLock(int fd, const LockWait &wait);
    ~MboxLock();
    MboxLock(const MboxLock &) = delete;
    MboxLock &operator=(const MboxLock &) = delete;

    bool held() const { return command_ != 0; }
    QString failure() const { return failure_; }  // why not held

private:
    int fd_;
    int command_ = 0;  // the fcntl command the lock was taken with
    QString failure_;
};
