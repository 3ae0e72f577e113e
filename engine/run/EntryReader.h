#pragma once

#include "engine/message/MessageReader.h"
#include "engine/run/ConversionRun.h"

#include <QStringList>

// The message of an entry as its kind of file holds it: the whole file, a
// range of an mbox unquoted, an Apple Mail message by its length, a partial
// one with its attachments put back (what could not be is added to warnings).
// Throws Failure when an Apple Mail file is not what its name says.
MessageReader openMessage(const ConversionEntry &entry, QStringList *warnings = nullptr);
