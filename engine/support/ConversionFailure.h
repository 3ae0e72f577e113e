#pragma once

#include "engine/support/Failure.h"

#include <QString>

// A message a run could not write, or a file it could not flush.
struct ConversionFailure {
    enum class Kind {
        Message,  // path is a message that was not written
        Flush,    // path is a target (an mbox file, a maildir message) that could not be flushed to disk
    };
    QString path;
    QString reason;  // in words
    Kind kind = Kind::Message;
    FailureKind cause = FailureKind::Other;  // why, beside the reason in words
};
