#pragma once

#include "engine/source/MessageFlags.h"

#include <QString>

// A maildir message file's flags, from the letters after ":2," in its name
// (S seen, R replied, F flagged, T trashed, D draft, P passed). Letters
// another program added, lower case or unknown ones, are left alone.
MessageFlags maildirFlags(const QString &fileName);

// A Maildir++ folder name (".A.B", each level in IMAP's modified UTF-7) as
// the path of folders it stands for ("A/B"); empty for a name that is none.
QString maildirFolderPath(const QString &dotName);

// IMAP's modified UTF-7 (RFC 3501, 5.1.3) decoded; the text as it is when
// it is not valid.
QString decodeModifiedUtf7(const QString &text);
