#pragma once

#include "engine/support/Failure.h"

#include <QtGlobal>
#include <limits>

// The walk's counters are 32-bit: passing the top raises Overflow, never wraps.
inline qint32 checkedIncrement(qint32 value)
{
    if (value == std::numeric_limits<qint32>::max())
        throw Failure(FailureKind::Overflow, QStringLiteral("a count past its largest value"));
    return value + 1;
}
