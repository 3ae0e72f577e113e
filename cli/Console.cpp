#include "cli/Console.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"

#include <sys/ioctl.h>
#include <unistd.h>

// What writeFully returns is passed over: a closed stderr or stdout is not
// worth stopping the run for.

bool Console::errorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

int Console::width() const
{
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void Console::status(const QString &text)
{
    if (!statusLine_)
        return;
    // Carriage return, the line, then erase whatever an older, longer line left.
    // Lines for people on a stderr that is gone have no one to tell.
    (void)writeFully(STDERR_FILENO, "\r" + nativeName(text) + "\033[K");
    statusShown_ = true;
}

void Console::clearStatus()
{
    if (!statusShown_)
        return;
    (void)writeFully(STDERR_FILENO, "\r\033[K");
    statusShown_ = false;
}

void Console::error(const QString &line)
{
    clearStatus();
    (void)writeFully(STDERR_FILENO, nativeName(line) + '\n');
}

void Console::out(const QString &line)
{
    clearStatus();
    if (const int error = writeFully(STDOUT_FILENO, nativeName(line) + '\n'); error != 0 && outputLost_.isEmpty())
        outputLost_ = systemReason(error);
}
