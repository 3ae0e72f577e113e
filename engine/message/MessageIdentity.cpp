#include "engine/message/MessageIdentity.h"

#include "engine/message/EnvelopeLine.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <array>
#include <new>
#include <utility>
#include <xxhash.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A real header block is a few KB; past this the rest is taken as body.
constexpr qint64 HeaderScanLimit = 1024 * 1024;

bool isMessageIdField(const QByteArray &field, qsizetype &valueStart)
{
    static constexpr QByteArrayView name = "message-id";
    if (field.size() <= name.size() || QByteArrayView(field).first(name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return false;
    qsizetype k = name.size();
    while (k < field.size() && (field[k] == ' ' || field[k] == '\t'))
        ++k;
    if (k == field.size() || field[k] != ':')
        return false;
    valueStart = k + 1;
    return true;
}

// The first CR or LF in [p, end), or end.
const char *findBreak(const char *p, const char *const end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(here, lf))))
            return p + __builtin_ctz(unsigned(hits));
    }
#endif
    for (; p < end; ++p)
        if (*p == '\r' || *p == '\n')
            return p;
    return end;
}

enum class Lead { StatusLine, Undecided, Other };

Lead leadOf(QByteArrayView line)
{
    // Thunderbird's, and the Status: fields mutt and Dovecot read (--keep-flags).
    static constexpr QByteArrayView names[] = {"X-Mozilla-Status:", "X-Mozilla-Status2:", "Status:", "X-Status:"};
    bool undecided = false;
    for (const QByteArrayView name : names) {
        if (line.startsWith(name))
            return Lead::StatusLine;
        undecided = undecided || name.startsWith(line);
    }
    return undecided ? Lead::Undecided : Lead::Other;
}

} // namespace

namespace {

constexpr size_t SecretSize = 192;
static_assert(SecretSize >= XXH3_SECRET_SIZE_MIN);

// Referred to by every hash state, not copied into it.
const void *processSecret()
{
    static const std::array<quint32, SecretSize / 4> secret = [] {
        std::array<quint32, SecretSize / 4> words;
        QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
        return words;
    }();
    return secret.data();
}

} // namespace

TextHash::TextHash() : state_(XXH3_createState(), [](XXH3_state_t *state) { XXH3_freeState(state); })
{
    if (!state_ || XXH3_128bits_reset_withSecret(state_.get(), processSecret(), SecretSize) != XXH_OK)
        throw std::bad_alloc();
}

void TextHash::add(QByteArrayView data)
{
    if (!data.isEmpty())
        XXH3_128bits_update(state_.get(), data.data(), size_t(data.size()));
}

QByteArray TextHash::result()
{
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state_.get()));
    XXH3_128bits_reset_withSecret(state_.get(), processSecret(), SecretSize);
    return QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof canonical.digest);
}

void MessageIdentity::add(QByteArrayView text)
{
    if (text.isEmpty())
        return;
    if (atStart_) {
        if (droppingLine_)
            return;
        lead_.append(text);
        switch (leadOf(lead_)) {
        case Lead::StatusLine:
            droppingLine_ = true;
            lead_.clear();
            return;
        case Lead::Undecided:
            return;
        case Lead::Other:
            atStart_ = false;
            addText(std::exchange(lead_, {}));
            return;
        }
    }
    addText(text);
}

void MessageIdentity::addText(QByteArrayView text)
{
    if (text.isEmpty())
        return;
    lineLength_ += text.size();
    if (inHeader_) {
        headerBytes_ += text.size();
        if (headerBytes_ > HeaderScanLimit) {
            inHeader_ = false;
            endField();
        } else {
            line_.append(text);
        }
    } else if (!messageId_.isEmpty()) {
        return;  // the identity is known: the body need not be hashed
    }
    addBreaks();
    hash(text);
}

// Line ends reach the hash only once text follows them: those at the end never do.
void MessageIdentity::addBreaks()
{
    for (; pendingBreaks_ > 0; --pendingBreaks_) {
        if (gathered_ == GatherSize)
            hashGathered();
        gather_[gathered_++] = '\n';
    }
}

void MessageIdentity::feed(QByteArrayView piece)
{
    const char *p = piece.data();
    const char *const end = p + piece.size();
    if (afterCr_ && p < end) {
        afterCr_ = false;
        if (*p == '\n')
            ++p;
    }
    // The status lines at the start, and the header block while its Message-ID is looked for, go a line at a time.
    while (p < end && (atStart_ || inHeader_)) {
        const char *stop = findBreak(p, end);
        if (stop > p)
            add(QByteArrayView(p, stop - p));
        if (stop == end)
            return;
        endLine();
        p = stop + 1;
        if (*stop == '\r') {
            if (p == end)
                afterCr_ = true;
            else if (*p == '\n')
                ++p;
        }
    }
    if (!messageId_.isEmpty())
        return;
    while (p < end) {
        const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(end - p)));
        hashLines(p, cr ? cr : end);
        if (!cr)
            return;
        ++pendingBreaks_;
        p = cr + 1;
        if (p == end)
            afterCr_ = true;
        else if (*p == '\n')
            ++p;
    }
}

// Text whose lines end in LF goes to the hash as it is, all but the line ends at its end.
void MessageIdentity::hashLines(const char *p, const char *end)
{
    const char *last = end;
    while (last > p && last[-1] == '\n')
        --last;
    if (last > p) {
        addBreaks();
        hash(QByteArrayView(p, last - p));
    }
    pendingBreaks_ += end - last;
}

void MessageIdentity::hashGathered()
{
    hashed_ += gathered_;
    hash_.add(QByteArrayView(gather_.get(), gathered_));
    gathered_ = 0;
}

// Lines are short: gathered, they reach the hash in a few long calls rather
// than two calls a line.
void MessageIdentity::hash(QByteArrayView text)
{
    if (gathered_ + text.size() > GatherSize)
        hashGathered();
    if (text.size() >= GatherSize) {
        hashed_ += text.size();
        hash_.add(text);
    } else {
        std::memcpy(gather_.get() + gathered_, text.data(), size_t(text.size()));
        gathered_ += text.size();
    }
}

void MessageIdentity::endLine()
{
    if (atStart_) {
        if (droppingLine_) {
            droppingLine_ = false;
            return;
        }
        atStart_ = false;
        addText(std::exchange(lead_, {}));
    }
    ++pendingBreaks_;
    if (inHeader_) {
        if (lineLength_ == 0) {
            inHeader_ = false;
            endField();
        } else if (line_.startsWith(' ') || line_.startsWith('\t')) {
            field_ += line_;
        } else {
            endField();
            field_ = line_;
        }
        line_.clear();
    }
    lineLength_ = 0;
}

void MessageIdentity::endField()
{
    qsizetype valueStart = 0;
    if (messageId_.isEmpty() && isMessageIdField(field_, valueStart))
        messageId_ = field_.mid(valueStart).simplified();
    field_.clear();
}

QByteArray MessageIdentity::finish()
{
    if (atStart_ && !droppingLine_)
        addText(std::exchange(lead_, {}));
    if (inHeader_) {
        if (!line_.isEmpty())
            endLine();
        endField();
    }
    if (!messageId_.isEmpty())
        return "id:" + messageId_;
    hashGathered();
    char length[8];
    qToBigEndian(hashed_, length);
    return "text:" + QByteArray(length, sizeof length) + hash_.result();
}

QByteArray identityOfMessage(QByteArrayView message, DuplicateRule rule)
{
    MessageIdentity identity(rule);
    identity.feed(message.sliced(findEnvelopeLine(message).lengthWithBreak));
    return identity.finish();
}

void MessageIdentity::reset()
{
    hash_.result();
    hashed_ = 0;
    gathered_ = 0;
    pendingBreaks_ = 0;
    inHeader_ = rule_ == DuplicateRule::MessageId;
    headerBytes_ = 0;
    lineLength_ = 0;
    line_.clear();
    field_.clear();
    messageId_.clear();
    atStart_ = true;
    droppingLine_ = false;
    lead_.clear();
    afterCr_ = false;
}
