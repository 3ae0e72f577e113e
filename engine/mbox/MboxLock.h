#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

struct LockWait {
    std::chrono::milliseconds limit = std::chrono::seconds(30);
    // Runs between two tries (a yield point; it may throw to give up).
    std::function<void()> betweenTries;
    // Thunderbird takes no dot-lock, and would show one that a crash left
    // behind as a folder of its own.
    bool dotLock = true;
};

// The locks mail programs take before they write to an mbox, held for as long
// as this object lives: a "<mbox>.lock" dot-lock file (mutt, procmail,
// Dovecot), where the mbox's folder lets one be made; an fcntl write lock on
// the whole file (mutt, Dovecot); and a flock (procmail, older mutts). All
// are taken or none. Open-file-description fcntl locks are used where the
// kernel has them: they conflict with the classic locks of other processes
// and also between two descriptors of this one.
//
// A dot-lock file untouched for DotLockStale, or naming a process that is
// gone, is taken for one a crashed program left, and removed, as liblockfile
// (mutt's, on Debian) does; ours holds our process number and is touched
// while it is held (keepFresh), so that no one takes it for stale.
class MboxLock {
public:
    MboxLock(int fd, const QByteArray &nativeMboxPath, const LockWait &wait);
    ~MboxLock();
    MboxLock(const MboxLock &) = delete;
    MboxLock &operator=(const MboxLock &) = delete;

    bool held() const { return command_ != 0; }
    QString failure() const { return failure_; }  // why not held

    // Touches the dot-lock file, if one is held and it was not touched lately.
    void keepFresh();

    static constexpr std::chrono::seconds DotLockStale{5 * 60};

private:
    enum class Try { Taken, Busy };
    Try tryDotLock();
    void release();

    int fd_;
    QByteArray dotLock_;
    bool dotLockHeld_ = false;
    std::chrono::steady_clock::time_point touched_;
    int command_ = 0;  // the fcntl command the lock was taken with
    QString failure_;
};
