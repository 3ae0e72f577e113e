#pragma once

#include <QByteArray>
#include <sys/types.h>

// What an mbox file of this length needs at its end before a new record can
// follow as its own message: nothing when it is empty or ends with an empty
// line; else the line ends that finish its last line and the record (CR LF, or
// LF alone when lfLineEnds; only LF after a lone CR). Nothing is ever cut: the
// file may be another program's. Reads only the last bytes.
QByteArray missingRecordEnd(int fd, off_t length, bool lfLineEnds = false);
