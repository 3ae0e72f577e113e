#pragma once

#include <QString>

// A file name as a line of text for people: on a terminal, in a window or in a
// report file. A name may hold any byte but "/" and NUL, so a newline in it
// would forge a line of its own and an escape sequence would drive the
// terminal. Control characters are written as C escapes, as `ls -b` does:
// \a \b \t \n \v \f \r \e, \xHH for the others (C0, DEL, C1 and the raw
// bytes 0x80-0x9F of a name that is not UTF-8), \u2028 and \u2029 for the
// Unicode line breaks, and \\ for a backslash, so every shown name reads back
// to one name. Everything else, a name that is not UTF-8 included, stays as
// it is.
QString shownName(const QString &name);

