#pragma once

#include "engine/message/HeaderSource.h"
#include "engine/source/SourceMessage.h"

#include <QByteArray>
#include <QDateTime>

// The date of a message, the one every output carries: a record's separator
// line, a maildir file's name and time, the order by date, the manifest. A
// message of an mbox keeps its own separator line, so its date is that
// line's; any other message's is its header's (HeaderSource), its file's
// time when the header has none. start holds the header block.
// With sender, the sender a new separator line names is read in the same
// reading of the header (an mbox's message keeps its own line: none).
QDateTime messageDate(const SourceMessage &message, const QByteArray &start, const QDateTime &modified,
                      DateSource *source = nullptr, QString *sender = nullptr);
