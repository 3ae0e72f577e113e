#pragma once

#include "modules/RunTimeError.h"

#include <QHash>
#include <QString>
#include <climits>
#include <vector>

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
        if (keys_.contains(key))
            throw RunTimeError(ErrorNumber::DuplicateKey,
                               QStringLiteral("This key is already associated with an element of this collection"));
        keys_.insert(key, Count() + 1);
        items_.push_back(std::move(value));
    }

    bool HasKey(const QString &key) const { return keys_.contains(key); }

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    void RefuseWhenFull() const
    {
        if (items_.size() >= static_cast<size_t>(INT_MAX))
            throw RunTimeError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    }

    std::vector<T> items_;
    QHash<QString, int> keys_;
};
