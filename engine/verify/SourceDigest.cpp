#include "engine/verify/SourceDigest.h"

#include "engine/source/EmlxFile.h"
#include "engine/message/FromUnquoter.h"
#include "engine/source/PartialEmlx.h"
#include "engine/verify/LineEndsToLf.h"
#include "engine/verify/PieceReader.h"
#include "engine/support/Yielder.h"

namespace {

// Leaves out a leading envelope line: "From ", any spaces or tabs, then
// anything but ":" up to the line's end.
class EnvelopeSkipper {
public:
    template <typename Emit>
    void feed(QByteArrayView piece, Emit &&emit)
    {
        qsizetype at = 0;
        while (state_ != State::Done && at < piece.size()) {
            const char c = piece[at];
            switch (state_) {
            case State::Matching:
                if (c != FromSpace[matched_]) {
                    state_ = State::Done;
                    emit(QByteArrayView(FromSpace, matched_));
                    break;
                }
                ++at;
                if (++matched_ == 5)
                    state_ = State::Spaces;
                break;
            case State::Spaces:
                if (c == ' ' || c == '\t') {
                    spaces_.append(c);
                    ++at;
                } else if (c == ':') {
                    state_ = State::Done;
                    emit(QByteArrayView(FromSpace, 5));
                    emit(spaces_);
                } else {
                    state_ = State::InLine;
                }
                break;
            case State::InLine:
                if (c == '\n') {
                    state_ = State::Done;
                } else if (c == '\r') {
                    state_ = State::AfterCr;
                }
                ++at;
                break;
            case State::AfterCr:
                state_ = State::Done;
                if (c == '\n')
                    ++at;
                break;
            case State::Done:
                break;
            }
        }
        if (at < piece.size())
            emit(piece.sliced(at));
    }
    template <typename Emit>
    void finish(Emit &&emit)
    {
        // Any later state means the message was all envelope line.
        if (state_ == State::Matching)
            emit(QByteArrayView(FromSpace, matched_));
        state_ = State::Done;
    }

private:
    static constexpr const char FromSpace[] = "From ";
    enum class State { Matching, Spaces, InLine, AfterCr, Done };
    State state_ = State::Matching;
    int matched_ = 0;
    QByteArray spaces_;
};

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
    EnvelopeSkipper envelope_;
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
