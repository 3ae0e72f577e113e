#pragma once

#include "engine/message/MessageIdentity.h"
#include "engine/store/MboxNaming.h"
#include "engine/store/OutputLayout.h"

#include <QByteArray>
#include <chrono>

// How a run writes, and so which store it writes into (makeStore). The
// defaults are the window's.
struct ConversionRules {
    MboxNaming naming;  // for the messages without a target of their own
    OutputLayout layout{};  // the first: mbox files
    // Every line of a record ends with LF alone (CR LF and a lone CR become
    // LF); the quoting is the same.
    bool lfLineEnds = false;
    // A message whose identity (see MessageIdentity) is already in its
    // target, from an earlier run, this one or another program, is not
    // written again; an mbox is looked at under its lock.
    bool skipDuplicates = false;
    // How long to wait for another program's lock on an mbox, once per mbox:
    // when it runs out, the mbox's other messages fail at once as well.
    std::chrono::milliseconds lockWait = std::chrono::seconds(30);
    // How long an mbox's locks are kept from one of its records to the next.
    std::chrono::milliseconds lockLease = std::chrono::milliseconds(500);
    DuplicateRule duplicates = DuplicateRule::ExactCopy;
    // Every message read whole is hashed for the observer (MessageFacts::contentHash).
    bool contentHashes = false;
    // A message whose source kept its flags (a maildir's, Apple Mail's) has
    // them written: Thunderbird's status lines in that layout, the file name's
    // letters in a maildir, and with keepFlags the Status: and X-Status:
    // fields in an mbox. unread leaves every message new.
    bool keepFlags = false;
    bool unread = false;
};
