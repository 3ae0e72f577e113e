#pragma once

#include <QByteArrayView>
#include <QString>
#include <cerrno>
#include <cstring>
#include <unistd.h>

// A POSIX file descriptor closed when it goes out of scope, or when another
// takes its place.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    FileDescriptor(FileDescriptor &&other) noexcept : fd_(other.release()) {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // The descriptor is the caller's to close from now on.
    [[nodiscard]] int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1)
    {
        if (fd_ >= 0 && fd_ != fd)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

// The system's words for an errno value.
inline QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Reads length bytes from offset into target, going on after an interrupted
// or short read; got is what was read, less at the file's end. 0 when done,
// else the errno of the failure.
[[nodiscard]] inline int readFullyAt(int fd, qint64 offset, char *target, qint64 length, qint64 &got)
{
    got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, target + got, size_t(length - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        got += n;
    }
    return 0;
}

// Writes all of data, going on after an interrupted or short write. 0 when
// done, else the errno of the failure (ENOSPC when a write stores nothing).
// write is the system's unless a test injects a failing one.
[[nodiscard]] inline int writeFully(int fd, QByteArrayView data, ssize_t (*write)(int, const void *, size_t) = &::write)
{
    const char *p = data.data();
    size_t left = size_t(data.size());
    while (left > 0) {
        const ssize_t done = write(fd, p, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            return errno;
        if (done == 0)
            return ENOSPC;
        p += done;
        left -= size_t(done);
    }
    return 0;
}
