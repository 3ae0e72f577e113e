#pragma once

#include "engine/verify/TextDigest.h"

#include <QHashFunctions>
#include <QString>
#include <cstring>

// A message's text as a hash key: its XXH3-128 and length.
struct TextKey {
    quint64 high = 0, low = 0;
    qint64 length = 0;
    TextKey() = default;
    explicit TextKey(const TextDigest &digest) : length(digest.length)
    {
        if (digest.hash.size() < qsizetype(sizeof high + sizeof low))
            return;
        std::memcpy(&high, digest.hash.constData(), sizeof high);
        std::memcpy(&low, digest.hash.constData() + sizeof high, sizeof low);
    }
    bool operator==(const TextKey &other) const = default;
};

inline size_t qHash(const TextKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.high, key.low, key.length);
}

// A digest's key (Message-ID or Date) as a number; 0: none.
inline quint64 keyHash(const QByteArray &key)
{
    return key.isEmpty() ? 0 : quint64(qHash(key, 0)) | 1;
}

// What verifying needs of a source, a few dozen bytes.
struct SourceText {
    TextKey text;
    quint64 key = 0;
    QString failure;  // why it could not be read; then text says nothing
};
