#include "engine/mbox/MboxLock.h"

#include "engine/support/FileDescriptor.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

struct flock wholeFile(short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return lock;
}

// 0 when taken, else the errno; command falls back to the classic lock on a
// kernel without open-file-description locks.
[[nodiscard]] int tryLock(int fd, int &command)
{
    struct flock lock = wholeFile(F_WRLCK);
    if (::fcntl(fd, command, &lock) == 0)
        return 0;
    if (errno == EINVAL && command == F_OFD_SETLK) {
        command = F_SETLK;
        return tryLock(fd, command);
    }
    return errno;
}

[[nodiscard]] int tryFlock(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

// The dot-lock file names a process of this machine that is gone: left by a
// crash, as liblockfile and Dovecot judge one by the process number in it.
bool ownerGone(const QByteArray &dotLock)
{
    const FileDescriptor fd(::open(dotLock.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return false;
    char text[32];
    const ssize_t got = ::read(fd.get(), text, sizeof text - 1);
    bool ok = false;
    const qint64 pid = got > 0 ? QByteArray(text, got).trimmed().toLongLong(&ok) : 0;
    return ok && pid > 0 && pid <= INT_MAX && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

MboxLock::MboxLock(int fd, const QByteArray &nativeMboxPath, const LockWait &wait)
    : fd_(fd), dotLock_(wait.dotLock ? nativeMboxPath + ".lock" : QByteArray())
{
    // Waits in short pauses with the window's turn between them rather than in
    // F_SETLKW: the window stays alive, and the wait has an end.
    constexpr auto Pause = std::chrono::milliseconds(5);
    const auto deadline = std::chrono::steady_clock::now() + wait.limit;
    int command = F_OFD_SETLK;
    for (;;) {
        int error = EAGAIN;
        if (dotLock_.isEmpty() || tryDotLock() == Try::Taken) {
            do
                error = tryLock(fd, command);
            while (error == EINTR);
            if (error == 0) {
                command_ = command;
                do
                    error = tryFlock(fd);
                while (error == EINTR);
                if (error == EWOULDBLOCK)
                    error = EAGAIN;
                if (error == ENOLCK || error == EINVAL)
                    error = 0;  // a file system without flock: the other locks stand
            }
        }
        if (error == 0)
            return;
        release();
        if (error != EAGAIN && error != EACCES) {
            failure_ = QStringLiteral("cannot lock the mbox file: ") + systemReason(error);
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            failure_ = QStringLiteral("the mbox file is locked by another program");
            return;
        }
        if (wait.betweenTries)
            wait.betweenTries();
        std::this_thread::sleep_for(Pause);
    }
}

MboxLock::Try MboxLock::tryDotLock()
{
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    // Made whole before it gets its name, as liblockfile makes its own: a
    // crash between making it and writing the process number would leave a
    // lock no one could tell from a live one for minutes.
    const QByteArray folder = dotLock_.left(dotLock_.lastIndexOf('/') + 1);
    FileDescriptor unnamed(::open(folder.isEmpty() ? "." : folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644));
    if (unnamed.valid()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(unnamed.get());
        const bool named = writeFully(unnamed.get(), pid) == 0
                           && ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, dotLock_.constData(), AT_SYMLINK_FOLLOW) == 0;
        const int error = errno;
        unnamed.reset();
        if (named) {
            dotLockHeld_ = true;
            touched_ = std::chrono::steady_clock::now();
            return Try::Taken;
        }
        errno = error;
    } else {
        // O_EXCL makes the file and tells it was not there in one step, on a
        // file system without unnamed files.
        FileDescriptor made(::open(dotLock_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (made.valid()) {
            // One without the process number could not be told from a live
            // one for minutes after a crash: none is better.
            if (const int error = writeFully(made.get(), pid); error != 0) {
                ::unlink(dotLock_.constData());
                errno = error;
                return Try::Taken;
            }
            dotLockHeld_ = true;
            touched_ = std::chrono::steady_clock::now();
            return Try::Taken;
        }
    }
    if (errno == EEXIST) {
        struct stat info {};
        if (::lstat(dotLock_.constData(), &info) != 0)
            return errno == ENOENT ? tryDotLock() : Try::Busy;
        if (::time(nullptr) - info.st_mtime > DotLockStale.count() || ownerGone(dotLock_)) {
            ::unlink(dotLock_.constData());
            return Try::Busy;  // taken on the next try, unless another program is quicker
        }
        return Try::Busy;
    }
    // A folder the user may not write to (a mail spool), or a name too long:
    // the other locks are taken without it, as mutt does.
    return Try::Taken;
}

void MboxLock::keepFresh()
{
    const auto now = std::chrono::steady_clock::now();
    if (!dotLockHeld_ || now - touched_ < DotLockStale / 5)
        return;
    ::utimensat(AT_FDCWD, dotLock_.constData(), nullptr, AT_SYMLINK_NOFOLLOW);
    touched_ = now;
}

void MboxLock::release()
{
    if (command_ != 0) {
        ::flock(fd_, LOCK_UN);
        struct flock lock = wholeFile(F_UNLCK);
        ::fcntl(fd_, command_, &lock);
        command_ = 0;
    }
    if (dotLockHeld_)
        ::unlink(dotLock_.constData());
    dotLockHeld_ = false;
}

MboxLock::~MboxLock()
{
    release();
}
