#include "convert/MboxLock.h"

#include "modules/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <thread>

namespace {

struct flock WholeFile(short type)
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
int TryLock(int fd, int &command)
{
    struct flock lock = WholeFile(F_WRLCK);
    if (::fcntl(fd, command, &lock) == 0)
        return 0;
    if (errno == EINVAL && command == F_OFD_SETLK) {
        command = F_SETLK;
        return TryLock(fd, command);
    }
    return errno;
}

} // namespace

MboxLock::MboxLock(int fd, const LockWait &wait) : fd_(fd)
{
    // Waits in short pauses with the window's turn between them rather than in
    // F_SETLKW: the window stays alive, and the wait has an end.
    constexpr auto Pause = std::chrono::milliseconds(5);
    const auto deadline = std::chrono::steady_clock::now() + wait.limit;
    int command = F_OFD_SETLK;
    for (;;) {
        int error = TryLock(fd, command);
        while (error == EINTR)
            error = TryLock(fd, command);
        if (error == 0) {
            command_ = command;
            return;
        }
        if (error != EAGAIN && error != EACCES) {
            failure_ = QStringLiteral("cannot lock the mbox file: ") + SystemReason(error);
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

MboxLock::~MboxLock()
{
    if (!held())
        return;
    struct flock lock = WholeFile(F_UNLCK);
    ::fcntl(fd_, command_, &lock);
}
