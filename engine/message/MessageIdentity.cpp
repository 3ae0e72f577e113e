#include "engine/message/MessageIdentity.h"

#include "engine/message/EnvelopeLine.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <array>
#include <new>
#include <utility>
#include <xxhash.h>

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
    for (; pendingBreaks_ > 0; --pendingBreaks_) {
        if (gathered_ == GatherSize)
            hashGathered();
        gather_[gathered_++] = '\n';
    }
    hash(text);
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
    message = message.sliced(findEnvelopeLine(message).lengthWithBreak);
    MessageIdentity identity(rule);
    LineSplitter lines;
    lines.feed(message, [&](QByteArrayView text) { identity.add(text); }, [&] { identity.endLine(); });
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
}
