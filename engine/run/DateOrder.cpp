#include "engine/run/DateOrder.h"

#include "engine/message/HeaderBlock.h"
#include "engine/message/MessageReader.h"
#include "engine/source/MessageDate.h"
#include "engine/support/Failure.h"
#include "engine/support/Yielder.h"

#include <QHash>
#include <algorithm>
#include <atomic>
#include <future>
#include <vector>

namespace {

// A header block is a few KB: most messages are read whole by the first
// piece, and a big one only as far as its header needs.
constexpr qint64 FirstPieceSize = 64 * 1024;

bool holdsHeaderEnd(const QByteArray &start)
{
    return start.contains("\n\n") || start.contains("\r\n\r\n") || start.contains("\r\r");
}

// A few hundred files are read before a second thread pays for itself.
constexpr qsizetype ShareAbove = 256;

qint64 dateOfMessage(const SourceMessage &entry, QByteArray &piece)
{
    // An mbox's message dated by its own separator line needs no reading.
    DateSource source = DateSource::None;
    if (const QDateTime date = messageDate(entry, QByteArray(), QDateTime(), &source); source == DateSource::Separator)
        return date.toSecsSinceEpoch();
    piece.resize(0);  // a file that cannot be read has no bytes, not the last one's
    try {
        MessageReader reader = openMessage(entry);
        if (reader.ok() && reader.next(piece, FirstPieceSize) && piece.size() == FirstPieceSize && !holdsHeaderEnd(piece)) {
            QByteArray rest;
            if (reader.next(rest, HeaderBlock::HeaderScanLimit - FirstPieceSize))
                piece += rest;
        }
        return messageDate(entry, piece, reader.modified()).toSecsSinceEpoch();
    } catch (const Failure &) {
        return messageDate(entry, QByteArray(), QDateTime()).toSecsSinceEpoch();  // fails again, and is told, in its turn
    }
}

} // namespace

QList<SourceMessage> orderedByDate(const QList<SourceMessage> &entries, const Store &store, Yielder &yielder)
{
    QHash<QString, QList<qsizetype>> places;  // by target
    QList<QString> targets;                   // in first-use order
    for (qsizetype k = 0; k < entries.size(); ++k) {
        if (k % 1024 == 1023)
            yielder.yield();
        try {
            const QString target = store.targetOf(entries[k]);
            auto found = places.find(target);
            if (found == places.end()) {
                found = places.insert(target, {});
                targets.append(target);
            }
            found->append(k);
        } catch (const Failure &) {
            // keeps its place
        }
    }

    QList<qsizetype> toRead;  // the entries whose dates matter, in list order
    for (const QString &target : std::as_const(targets))
        if (const QList<qsizetype> &at = places[target]; at.size() > 1)
            toRead += at;
    std::sort(toRead.begin(), toRead.end());

    // Opening and reading many small files is mostly waiting on the system:
    // a second thread shares the files. Only this one yields.
    std::vector<qint64> dates(size_t(entries.size()), 0);
    std::atomic<qsizetype> next{0};
    std::atomic<bool> stop{false};
    const auto readDates = [&](bool yielding) {
        QByteArray piece;
        for (qsizetype k; !stop && (k = next.fetch_add(1)) < toRead.size();) {
            if (yielding)
                yielder.yield();
            dates[size_t(toRead[k])] = dateOfMessage(entries[toRead[k]], piece);
        }
    };
    {
        std::future<void> helper;
        if (toRead.size() > ShareAbove)
            helper = std::async(std::launch::async, readDates, false);
        // Interrupted passes through, once the helper has stopped.
        struct Join {
            std::atomic<bool> &stop;
            std::future<void> &helper;
            ~Join()
            {
                stop = true;
                if (helper.valid())
                    helper.wait();
            }
        } join{stop, helper};
        readDates(true);
    }

    QList<SourceMessage> ordered = entries;
    for (const QString &target : std::as_const(targets)) {
        const QList<qsizetype> &at = places[target];
        if (at.size() < 2)
            continue;
        QList<std::pair<qint64, qsizetype>> dated;  // (date, index in entries)
        dated.reserve(at.size());
        for (const qsizetype index : at)
            dated.append({dates[size_t(index)], index});
        std::stable_sort(dated.begin(), dated.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (qsizetype k = 0; k < at.size(); ++k)
            ordered[at[k]] = entries[dated[k].second];
    }
    return ordered;
}
