#include "engine/message/ContentHash.h"

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

void ContentHash::addLines(QByteArrayView text)
{
    lines_.feed(text, [this](QByteArrayView line) { add(line); }, [this] { ++pendingBreaks_; });
}

void ContentHash::feed(QByteArrayView piece)
{
    envelope_.feed(piece, [this](QByteArrayView text) { addLines(text); });
}

QByteArray ContentHash::hex()
{
    envelope_.finish([this](QByteArrayView text) { addLines(text); });
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
