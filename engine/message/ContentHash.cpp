#include "engine/message/ContentHash.h"

#include "engine/message/EnvelopeLine.h"

#include <new>
#include <xxhash.h>

ContentHash::ContentHash() : state_(XXH3_createState(), [](XXH3_state_t *state) { XXH3_freeState(state); })
{
    if (!state_ || XXH3_128bits_reset(state_.get()) != XXH_OK)
        throw std::bad_alloc();
}

void ContentHash::add(QByteArrayView text)
{
    static const QByteArray breaks(64, '\n');
    // Line ends reach the hash only once text follows them: those at the end never do.
    while (pendingBreaks_ > 0) {
        const qint64 some = qMin<qint64>(pendingBreaks_, breaks.size());
        XXH3_128bits_update(state_.get(), breaks.constData(), size_t(some));
        pendingBreaks_ -= some;
    }
    XXH3_128bits_update(state_.get(), text.data(), size_t(text.size()));
}

void ContentHash::feed(QByteArrayView piece)
{
    if (!started_) {
        // Whether the message starts with an envelope line is known once its
        // first line is whole (or is longer than any envelope line).
        start_.append(piece);
        const qsizetype lineEnd = start_.indexOf('\n');
        if (lineEnd < 0 && start_.size() < 4096 && !piece.isEmpty())
            return;
        started_ = true;
        const QByteArray start = std::move(start_);
        start_.clear();
        piece = QByteArrayView(start).sliced(findEnvelopeLine(start).lengthWithBreak);
        lines_.feed(piece, [this](QByteArrayView text) { add(text); }, [this] { ++pendingBreaks_; });
        return;
    }
    lines_.feed(piece, [this](QByteArrayView text) { add(text); }, [this] { ++pendingBreaks_; });
}

QByteArray ContentHash::hex()
{
    if (!started_)
        feed({});
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state_.get()));
    return QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof canonical.digest).toHex();
}

QByteArray contentHashOf(QByteArrayView message)
{
    ContentHash hash;
    hash.feed(message);
    return hash.hex();
}
