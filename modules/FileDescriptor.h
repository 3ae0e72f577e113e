#pragma once

#include <QString>
#include <cstring>
#include <unistd.h>

// A POSIX file descriptor closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The system's words for an errno value.
inline QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
