#include "engine/mbox/TornRecord.h"

#include "engine/mbox/StreamHash.h"
#include "engine/support/FileDescriptor.h"

#include <QByteArray>
#include <unistd.h>

namespace {

constexpr qsizetype ReadPiece = 1024 * 1024;

// Feeds [from, to) of the file to hash, or to look, a piece at a time.
[[nodiscard]] bool readRange(int fd, off_t from, off_t to, const std::function<void(QByteArrayView)> &take,
               const std::function<void()> &betweenReads)
{
    QByteArray piece(qsizetype(qMin<off_t>(ReadPiece, qMax<off_t>(to - from, 1))), Qt::Uninitialized);
    while (from < to) {
        const size_t want = size_t(qMin<off_t>(piece.size(), to - from));
        const ssize_t got = ::pread(fd, piece.data(), want, from);
        if (got <= 0)
            return false;
        take(QByteArrayView(piece.constData(), got));
        from += got;
        if (from < to && betweenReads)
            betweenReads();
    }
    return true;
}

} // namespace

TornRecordVerdict judgeTornRecord(int fd, off_t length, const AppendMarker::State &marked,
                                  const std::function<void()> &betweenReads)
{
    using Verdict = TornRecordVerdict;
    if (length == marked.start)
        return {Verdict::NothingWritten, {}};
    const off_t doneEnd = marked.start + marked.done;
    if (length < doneEnd)
        return {Verdict::NotOurs, QStringLiteral("the mbox file is shorter than the record it names")};
    StreamHash hash;
    if (!readRange(fd, marked.start, doneEnd, [&](QByteArrayView bytes) { hash.feed(bytes); }, betweenReads))
        return {Verdict::NotOurs, QStringLiteral("the mbox file could not be read")};
    if (hash.value() != marked.doneHash)
        return {Verdict::NotOurs, QStringLiteral("the mbox file does not hold the record it names")};

    const QString othersFollow = QStringLiteral("an earlier run left a record unfinished at byte %1, and other mail follows it;"
                                                " it was kept as it is").arg(marked.start);
    const off_t plannedEnd = marked.start + marked.end;
    const qint64 there = qMin<qint64>(length, plannedEnd) - doneEnd;
    QByteArray head(qsizetype(qMin<qint64>(there, marked.head.size())), Qt::Uninitialized);
    if (::pread(fd, head.data(), size_t(head.size()), doneEnd) != head.size())
        return {Verdict::NotOurs, QStringLiteral("the mbox file could not be read")};
    if (head != QByteArrayView(marked.head).first(head.size()))
        return {marked.done > 0 ? Verdict::OthersFollow : Verdict::NotOurs,
                marked.done > 0 ? othersFollow : QStringLiteral("the mbox file does not hold the record it names")};

    if (length >= plannedEnd) {
        if (!readRange(fd, doneEnd, plannedEnd, [&](QByteArrayView bytes) { hash.feed(bytes); }, betweenReads))
            return {Verdict::NotOurs, QStringLiteral("the mbox file could not be read")};
        if (hash.value() != marked.endHash)
            return {Verdict::OthersFollow, othersFollow};
        if (marked.last)
            return {Verdict::Whole, {}};
        return length == plannedEnd ? Verdict{Verdict::Ours, {}} : Verdict{Verdict::OthersFollow, othersFollow};
    }
    // Part of the piece: a line starting "From " past the bytes compared is
    // another program's message (our own separator line is among those).
    bool foreign = false;
    QByteArray text;
    if (!readRange(fd, doneEnd + head.size() - 1, length, [&](QByteArrayView bytes) {
            text = text.right(5) + bytes.toByteArray();
            foreign = foreign || text.contains("\nFrom ");
        }, betweenReads))
        return {Verdict::NotOurs, QStringLiteral("the mbox file could not be read")};
    if (foreign)
        return {Verdict::OthersFollow, othersFollow};
    return {Verdict::Ours, {}};
}
