#include "engine/layout/MaildirText.h"

#include "engine/message/MessageReader.h"
#include "engine/support/Failure.h"

#include <xxhash.h>

namespace {

void freeState(XXH3_state_s *state)
{
    XXH3_freeState(state);
}

} // namespace

MaildirText::MaildirText(bool crlf, Sink sink)
    : crlf_(crlf), sink_(std::move(sink)), state_(XXH3_createState(), &freeState)
{
    XXH3_128bits_reset(state_.get());
}

MaildirText::~MaildirText() = default;

void MaildirText::feed(QByteArrayView piece)
{
    envelope_.feed(piece, [this](QByteArrayView text) { addLines(text); });
}

void MaildirText::finish()
{
    envelope_.finish([this](QByteArrayView text) { addLines(text); });
}

void MaildirText::addLines(QByteArrayView text)
{
    lines_.feed(
        text,
        [this](QByteArrayView line) {
            XXH3_128bits_update(state_.get(), line.data(), size_t(line.size()));
            sink_(line);
        },
        [this] {
            XXH3_128bits_update(state_.get(), "\n", 1);
            sink_(crlf_ ? QByteArrayView("\r\n") : QByteArrayView("\n"));
        });
}

QByteArray MaildirText::hexHash() const
{
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state_.get()));
    return QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof canonical.digest).toHex();
}

QByteArray maildirHashOf(MessageReader &reader, const std::function<void()> &betweenPieces)
{
    QByteArray piece;
    MaildirText text(false, [](QByteArrayView) {});
    for (bool first = true;; first = false) {
        if (!reader.ok() || !reader.next(piece, first ? MessageReader::PieceSize : MessageReader::StreamPieceSize))
            throw Failure(FailureKind::Unreadable, reader.failure());
        if (piece.isEmpty())
            break;
        text.feed(piece);
        betweenPieces();
    }
    text.finish();
    return text.hexHash();
}
