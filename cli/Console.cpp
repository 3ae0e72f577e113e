#include "cli/Console.h"

#include "modules/FileNames.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

void WriteAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, p, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return;  // a closed stderr or stdout is not worth stopping the run for
        p += done;
        left -= done;
    }
}

} // namespace

bool Console::ErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

int Console::Width() const
{
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void Console::Status(const QString &text)
{
    if (!statusLine_)
        return;
    // Carriage return, the line, then erase whatever an older, longer line left.
    WriteAll(STDERR_FILENO, "\r" + NativeName(text) + "\033[K");
    statusShown_ = true;
}

void Console::ClearStatus()
{
    if (!statusShown_)
        return;
    WriteAll(STDERR_FILENO, "\r\033[K");
    statusShown_ = false;
}

void Console::Error(const QString &line)
{
    ClearStatus();
    WriteAll(STDERR_FILENO, NativeName(line) + '\n');
}

void Console::Out(const QString &line)
{
    ClearStatus();
    WriteAll(STDOUT_FILENO, NativeName(line) + '\n');
}
