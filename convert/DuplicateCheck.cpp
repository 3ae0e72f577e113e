#include "convert/DuplicateCheck.h"

#include "convert/EnvelopeLine.h"
#include "convert/MboxIdentities.h"
#include "convert/MessageIdentity.h"
#include "convert/MessageReader.h"
#include "modules/RunTimeError.h"

namespace {

void Feed(MessageIdentity &identity, LineSplitter &lines, QByteArrayView piece)
{
    lines.Feed(piece, [&](QByteArrayView text) { identity.Add(text); }, [&] { identity.EndLine(); });
}

} // namespace

bool KnownIdentities::Contains(const QString &mboxFile, const QByteArray &identity,
                               const std::function<void()> &betweenPieces)
{
    auto found = known_.find(mboxFile);
    if (found == known_.end()) {
        QSet<QByteArray> identities;
        const QString failure = ReadMboxIdentities(mboxFile, [&](const QByteArray &one) { identities.insert(one); },
                                                   betweenPieces);
        if (!failure.isEmpty())
            throw RunTimeError(ErrorNumber::PathFileAccess,
                               QStringLiteral("cannot read the mbox file for the messages in it: ") + failure);
        found = known_.insert(mboxFile, identities);
    }
    return found->contains(identity);
}

void KnownIdentities::Add(const QString &mboxFile, const QByteArray &identity)
{
    known_[mboxFile].insert(identity);
}

QByteArray SourceIdentity(const QString &path, QByteArrayView firstPiece, qint64 fileSize,
                          const std::function<void()> &betweenPieces)
{
    // The envelope line, which the record leaves out, is always within the first piece.
    const qsizetype envelope = FindEnvelopeLine(firstPiece).lengthWithBreak;
    MessageIdentity identity;
    LineSplitter lines;
    Feed(identity, lines, firstPiece.sliced(envelope));
    if (identity.Known() || firstPiece.size() >= fileSize)
        return identity.Finish();

    identity.Reset();
    lines = LineSplitter();
    MessageReader reader(path);
    QByteArray piece;
    qint64 skip = envelope;
    while (reader.ok() && reader.Next(piece, MessageReader::StreamPieceSize) && !piece.isEmpty()) {
        const qsizetype skipped = qsizetype(qMin<qint64>(skip, piece.size()));
        skip -= skipped;
        Feed(identity, lines, QByteArrayView(piece).sliced(skipped));
        if (identity.Known())
            break;
        if (betweenPieces)
            betweenPieces();
    }
    if (!reader.ok())
        throw RunTimeError(ErrorNumber::PathFileAccess, reader.failure());
    return identity.Finish();
}
