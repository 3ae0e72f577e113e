#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like any crash: libFuzzer keeps the input
// that caused it.
inline void Require(bool holds, const char *invariant)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", invariant);
        std::abort();
    }
}
