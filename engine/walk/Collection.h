#pragma once

#include "engine/support/Failure.h"

#include <QHash>
#include <QString>
#include <climits>
#include <optional>
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

// A key made of one letter and a number written the plain way ("K12": no sign,
// no leading zero), as walkers number their entries.
struct NumberedKey {
    char16_t letter;
    qint32 number;
    bool operator==(const NumberedKey &) const = default;

    static std::optional<NumberedKey> from(const QString &key)
    {
        if (key.size() < 2 || key.size() > 11 || (key[1] == u'0' && key.size() > 2) || key[0].isDigit())
            return std::nullopt;
        qint64 number = 0;
        for (qsizetype i = 1; i < key.size(); ++i) {
            const char16_t c = key[i].unicode();
            if (c < u'0' || c > u'9')
                return std::nullopt;
            number = number * 10 + (c - u'0');
        }
        if (number > INT_MAX)
            return std::nullopt;
        return NumberedKey{key[0].unicode(), qint32(number)};
    }
    QString text() const { return QChar(letter) + QString::number(number); }
};

// An ordered list with 1-based positions whose entries may carry a text key.
// A key already held is refused and nothing is appended. Walkers hand these out
// through std::shared_ptr, so a caller's reference outlives the walker's own.
template <typename T>
class Collection {
public:
    using const_iterator = typename std::vector<T>::const_iterator;

    int count() const { return static_cast<int>(items_.size()); }

    const T &item(int position) const
    {
        if (position < 1 || position > count())
            throw Failure(FailureKind::NoSuchItem, QStringLiteral("no item at position %1 of %2").arg(position).arg(count()));
        return items_[static_cast<size_t>(position - 1)];
    }

    void add(T value)
    {
        refuseWhenFull();
        items_.push_back(std::move(value));
    }

    void add(T value, const QString &key)
    {
        if (const auto numbered = NumberedKey::from(key)) {
            add(std::move(value), *numbered);
            return;
        }
        refuseWhenFull();
        CollectionKey held(key);
        if (keys_.contains(held))
            refuseDuplicate();
        keys_.insert(std::move(held), count() + 1);
        items_.push_back(std::move(value));
    }

    // The same as add(value, key.text()), without making the text: a walk of a
    // hundred thousand files numbers each one.
    void add(T value, NumberedKey key)
    {
        refuseWhenFull();
        if (hasKey(key))
            refuseDuplicate();
        if (!runs_.empty() && runs_.back().letter == key.letter && runs_.back().end == key.number
            && key.number < INT_MAX) {
            ++runs_.back().end;
        } else if (runs_.size() < MaxRuns && key.number < INT_MAX) {
            runs_.push_back({key.letter, key.number, key.number + 1});
        } else {
            keys_.insert(CollectionKey(key.text()), count() + 1);
        }
        items_.push_back(std::move(value));
    }

    bool hasKey(const QString &key) const
    {
        if (const auto numbered = NumberedKey::from(key))
            return hasKey(*numbered);
        return keys_.contains(CollectionKey(key));
    }

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    // Consecutive numbered keys, [first, end), held as ranges rather than one
    // hashed text each; a few ranges at most, the rest go to the hash.
    struct Run {
        char16_t letter;
        qint32 first;
        qint32 end;
    };
    static constexpr size_t MaxRuns = 8;

    bool hasKey(NumberedKey key) const
    {
        for (const Run &run : runs_)
            if (run.letter == key.letter && key.number >= run.first && key.number < run.end)
                return true;
        return !keys_.isEmpty() && keys_.contains(CollectionKey(key.text()));
    }

    void refuseWhenFull() const
    {
        if (items_.size() >= static_cast<size_t>(INT_MAX))
            throw Failure(FailureKind::Overflow, QStringLiteral("more items than a list can hold"));
    }

    [[noreturn]] static void refuseDuplicate()
    {
        throw Failure(FailureKind::DuplicateKey, QStringLiteral("the list holds this key already"));
    }

    std::vector<T> items_;
    std::vector<Run> runs_;
    QHash<CollectionKey, int> keys_;
};
