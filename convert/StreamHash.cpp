#include "convert/StreamHash.h"

#include <cstring>

namespace {

constexpr quint64 Prime1 = 0x9E3779B185EBCA87ull;
constexpr quint64 Prime2 = 0xC2B2AE3D27D4EB4Full;
constexpr quint64 Prime3 = 0x165667B19E3779F9ull;
constexpr quint64 Prime4 = 0x85EBCA77C2B2AE63ull;
constexpr quint64 Prime5 = 0x27D4EB2F165667C5ull;

quint64 Rotl(quint64 x, int r) { return (x << r) | (x >> (64 - r)); }

quint64 Read64(const unsigned char *p)
{
    quint64 v;
    std::memcpy(&v, p, 8);
    return qFromLittleEndian(v);
}

quint32 Read32(const unsigned char *p)
{
    quint32 v;
    std::memcpy(&v, p, 4);
    return qFromLittleEndian(v);
}

quint64 Round(quint64 acc, quint64 input)
{
    acc += input * Prime2;
    return Rotl(acc, 31) * Prime1;
}

quint64 Merge(quint64 acc, quint64 lane)
{
    acc ^= Round(0, lane);
    return acc * Prime1 + Prime4;
}

void Stripe(quint64 lanes[4], const unsigned char *p)
{
    lanes[0] = Round(lanes[0], Read64(p));
    lanes[1] = Round(lanes[1], Read64(p + 8));
    lanes[2] = Round(lanes[2], Read64(p + 16));
    lanes[3] = Round(lanes[3], Read64(p + 24));
}

} // namespace

void StreamHash::Feed(QByteArrayView bytes)
{
    auto p = reinterpret_cast<const unsigned char *>(bytes.data());
    qsizetype left = bytes.size();
    total_ += quint64(left);
    if (buffered_ > 0) {
        const int step = int(qMin<qsizetype>(left, 32 - buffered_));
        std::memcpy(buffer_ + buffered_, p, size_t(step));
        buffered_ += step;
        p += step;
        left -= step;
        if (buffered_ < 32)
            return;
        Stripe(lanes_, buffer_);
        buffered_ = 0;
    }
    quint64 lanes[4] = {lanes_[0], lanes_[1], lanes_[2], lanes_[3]};
    for (; left >= 32; p += 32, left -= 32)
        Stripe(lanes, p);
    std::memcpy(lanes_, lanes, sizeof lanes);
    std::memcpy(buffer_, p, size_t(left));
    buffered_ = int(left);
}

quint64 StreamHash::Value() const
{
    quint64 h;
    if (total_ >= 32) {
        h = Rotl(lanes_[0], 1) + Rotl(lanes_[1], 7) + Rotl(lanes_[2], 12) + Rotl(lanes_[3], 18);
        for (const quint64 lane : lanes_)
            h = Merge(h, lane);
    } else {
        h = lanes_[2] + Prime5;
    }
    h += total_;
    const unsigned char *p = buffer_;
    int left = buffered_;
    for (; left >= 8; p += 8, left -= 8)
        h = Rotl(h ^ Round(0, Read64(p)), 27) * Prime1 + Prime4;
    if (left >= 4) {
        h = Rotl(h ^ (quint64(Read32(p)) * Prime1), 23) * Prime2 + Prime3;
        p += 4;
        left -= 4;
    }
    for (; left > 0; ++p, --left)
        h = Rotl(h ^ (*p * Prime5), 11) * Prime1;
    h ^= h >> 33;
    h *= Prime2;
    h ^= h >> 29;
    h *= Prime3;
    h ^= h >> 32;
    return h;
}
