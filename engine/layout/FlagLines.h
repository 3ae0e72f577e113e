#pragma once

#include "engine/source/MessageFlags.h"

#include <QByteArray>

// A message's flags as Thunderbird keeps them, in the two lines it writes
// after every separator: X-Mozilla-Status (read 0001, replied 0002, flagged
// 0004, deleted 0008, forwarded 1000) and X-Mozilla-Status2. LF line ends.
QByteArray thunderbirdFlagLines(const MessageFlags &flags);

// The same for the mail programs that read mbox flags from header fields
// (mutt, Dovecot): "Status: RO" (read) or "Status: O", and "X-Status:" with
// A answered, F flagged, T draft and D deleted when any is set.
QByteArray statusFieldLines(const MessageFlags &flags, bool lfLineEnds);
