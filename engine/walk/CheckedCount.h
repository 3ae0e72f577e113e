#pragma once

#include "engine/support/RunTimeError.h"

#include <QtGlobal>
#include <limits>

// The walk's counters are 32-bit: passing the top raises Overflow, never wraps.
inline qint32 checkedIncrement(qint32 value)
{
    if (value == std::numeric_limits<qint32>::max())
        throw RunTimeError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return value + 1;
}
