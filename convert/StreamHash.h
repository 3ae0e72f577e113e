#pragma once

#include <QByteArrayView>
#include <QtEndian>
#include <QtGlobal>

// XXH64 (seed 0) of bytes fed in pieces of any size: the same value as the
// reference xxHash library gives for the whole. Chosen for the append side
// file because it keeps up with the disk: a record of gigabytes is hashed as
// it is written without slowing the append.
class StreamHash {
public:
    void Feed(QByteArrayView bytes);
    quint64 Value() const;  // of everything fed so far; feeding may go on

private:
    quint64 lanes_[4] = {0x9E3779B185EBCA87ull + 0xC2B2AE3D27D4EB4Full, 0xC2B2AE3D27D4EB4Full, 0,
                         0 - 0x9E3779B185EBCA87ull};
    unsigned char buffer_[32] = {};
    int buffered_ = 0;
    quint64 total_ = 0;
};
