#pragma once

#include "modules/RunTimeError.h"

#include <QHash>
#include <QString>
#include <climits>
#include <string>
#include <vector>

// A collection's key. Held as std::u16string: short keys such as "K12345" fit
// in the string itself, so a large collection frees its keys without one heap
// release per entry.
struct CollectionKey {
    explicit CollectionKey(const QString &key)
        : text(reinterpret_cast<const char16_t *>(key.utf16()), static_cast<size_t>(key.size())) {}
    bool operator==(const CollectionKey &other) const { return text == other.text; }
    std::u16string text;
};

inline size_t qHash(const CollectionKey &key, size_t seed)
{
    return qHashBits(key.text.data(), key.text.size() * sizeof(char16_t), seed);
}

// An ordered list with 1-based positions whose entries may carry a text key.
// A key already held is refused and nothing is appended. Walkers hand these out
// through std::shared_ptr, so a caller's reference outlives the walker's own.
template <typename T>
class Collection {
public:
    using const_iterator = typename std::vector<T>::const_iterator;

    int Count() const { return static_cast<int>(items_.size()); }

    const T &Item(int position) const
    {
        if (position < 1 || position > Count())
            throw RunTimeError(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        return items_[static_cast<size_t>(position - 1)];
    }

    void Add(T value)
    {
        RefuseWhenFull();
        items_.push_back(std::move(value));
    }

    void Add(T value, const QString &key)
    {
        RefuseWhenFull();
        CollectionKey held(key);
        if (keys_.contains(held))
            throw RunTimeError(ErrorNumber::DuplicateKey,
                               QStringLiteral("This key is already associated with an element of this collection"));
        keys_.insert(std::move(held), Count() + 1);
        items_.push_back(std::move(value));
    }

    bool HasKey(const QString &key) const { return keys_.contains(CollectionKey(key)); }

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    void RefuseWhenFull() const
    {
        if (items_.size() >= static_cast<size_t>(INT_MAX))
            throw RunTimeError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    }

    std::vector<T> items_;
    QHash<CollectionKey, int> keys_;
};
