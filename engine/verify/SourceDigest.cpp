#include "engine/verify/SourceDigest.h"

#include "engine/message/EnvelopeSkip.h"
#include "engine/message/FromUnquoter.h"
#include "engine/source/EmlxFile.h"
#include "engine/source/PartialEmlx.h"
#include "engine/verify/LineEndsToLf.h"
#include "engine/verify/PieceReader.h"
#include "engine/support/Yielder.h"

namespace {

class SourceText {
public:
    void feed(QByteArrayView piece)
    {
        envelope_.feed(piece, [this](QByteArrayView bytes) { toLf(bytes); });
    }
    TextDigest finish()
    {
        envelope_.finish([this](QByteArrayView bytes) { toLf(bytes); });
        digest_.endLastLine();
        return digest_.finish();
    }

private:
    void toLf(QByteArrayView bytes)
    {
        lineEnds_.feed(bytes, [this](QByteArrayView text) { digest_.add(text); });
    }
    EnvelopeSkip envelope_;  // a property of the message, not the writer's code: shared with it
    LineEndsToLf lineEnds_;
    DigestBuilder digest_;
};

} // namespace

TextDigest digestOfMessageFile(const QString &path, Yielder &yielder, QString *failure)
{
    SourceText text;
    const QString reason = readInPieces(path, [&](QByteArrayView piece, qint64) { text.feed(piece); }, yielder);
    if (failure)
        *failure = reason;
    return reason.isEmpty() ? text.finish() : TextDigest();
}

TextDigest digestOfMessage(QByteArrayView message)
{
    SourceText text;
    text.feed(message);
    return text.finish();
}

TextDigest digestOfSource(const SourceMessage &source, Yielder &yielder, QString *failure)
{
    QString reason;
    SourceText text;
    switch (source.kind) {
    case SourceKind::Mbox: {
        FromUnquoter unquoter;
        const std::function<void(QByteArrayView)> toText = [&text](QByteArrayView unquoted) { text.feed(unquoted); };
        reason = readInPieces(source.source, [&](QByteArrayView piece, qint64) { unquoter.feed(piece, toText); },
                              yielder, source.offset, source.length);
        QByteArray unquoted;
        unquoter.finish(unquoted);
        text.feed(unquoted);
        break;
    }
    case SourceKind::Emlx:
    case SourceKind::PartialEmlx: {
        const EmlxFile file = EmlxFile::open(source.source);
        reason = file.failure;
        if (!reason.isEmpty())
            break;
        QByteArray message;
        const bool partial = source.kind == SourceKind::PartialEmlx;
        reason = readInPieces(source.source, [&](QByteArrayView piece, qint64) {
            if (partial)
                message += piece;
            else
                text.feed(piece);
        }, yielder, file.messageOffset, file.messageLength);
        if (!reason.isEmpty() || !partial)
            break;
        const RestoredMessage restored = restorePartialMessage(message, attachmentsFolderOf(source.source));
        reason = restored.failure;
        text.feed(restored.bytes);
        break;
    }
    case SourceKind::Eml:
    case SourceKind::Maildir:
    case SourceKind::Unknown:
        return digestOfMessageFile(source.source, yielder, failure);
    }
    if (failure)
        *failure = reason;
    return reason.isEmpty() ? text.finish() : TextDigest();
}
