#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#define XXH_STATIC_LINKING_ONLY  // the state as a value: a hash is copied and kept by value
#include <xxhash.h>

// XXH64 (seed 0) of bytes fed in pieces of any size, the same value as for
// the whole. Chosen for the append side file because it keeps up with the
// disk: a record of gigabytes is hashed as it is written without slowing the
// append.
class StreamHash {
public:
    StreamHash() { XXH64_reset(&state_, 0); }
    void feed(QByteArrayView bytes) { XXH64_update(&state_, bytes.data(), size_t(bytes.size())); }
    // Of everything fed so far; feeding may go on.
    quint64 value() const { return XXH64_digest(&state_); }

private:
    XXH64_state_t state_;
};
