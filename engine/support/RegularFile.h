#pragma once

#include "engine/support/FileDescriptor.h"

#include <QString>
#include <sys/stat.h>

// A file opened for reading the one safe way, by every reader of a file the
// program did not write: a name holding a NUL is refused (the system would
// open the name cut at the NUL), a FIFO in a file's place does not stall the
// open (O_NONBLOCK), and anything but a regular file is refused once opened,
// so what is read is what was checked.
struct [[nodiscard]] RegularFile {
    FileDescriptor fd;
    struct stat info {};  // the opened file's; also of a file that is not a regular one
    int error = 0;        // the system's reason the open failed, when it did
    QString failure;      // empty when the file is open and regular
    bool ok() const { return failure.isEmpty(); }
};

RegularFile openRegularFile(const QString &path);
