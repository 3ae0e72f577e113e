#pragma once

#include "cli/CommandOptions.h"
#include "cli/SourceList.h"

// The mbox file a listed message goes to under the command's naming rule.
// Throws RunTimeError when no mbox name can be made from the path, as the
// window's rule does.
QString MboxFor(const ListedMessage &message, const CommandOptions &options);

// The user named the mbox himself (--single): a link there is his to follow.
bool MboxNamedByUser(const CommandOptions &options);
