#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Linux file names are bytes, not text: an archive copied from another system
// often carries Latin-1 names. These two convert between the system's bytes and
// the program's text without losing any byte. Valid UTF-8 becomes its
// characters; each byte that is not part of valid UTF-8 becomes the private
// code U+DC80 + (byte - 0x80), as Python's "surrogateescape" does, and goes
// back to that same byte. Every call that touches the file system goes
// through them.
QString nameFromNative(QByteArrayView bytes);
QByteArray nativeName(const QString &name);

// A name with a NUL byte names no file: the system would read it only up to
// the NUL, and open another file. It comes only from outside the system's
// own calls (a list file, a dropped URL's %00).
inline bool holdsNul(const QString &name)
{
    return name.contains(QChar(0));
}
