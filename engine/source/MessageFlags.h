#pragma once

// What a mail program knew of a message: the state its store keeps beside
// the message's bytes (Maildir's ":2," letters, Apple Mail's flags).
struct MessageFlags {
    bool seen = false;
    bool answered = false;
    bool flagged = false;
    bool deleted = false;
    bool draft = false;
    bool forwarded = false;

    bool operator==(const MessageFlags &) const = default;
};
