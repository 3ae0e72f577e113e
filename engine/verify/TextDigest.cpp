#include "engine/verify/TextDigest.h"

#include <xxhash.h>

namespace {

bool startsWithName(const QByteArray &line, QByteArrayView name)
{
    return line.size() > name.size() && QByteArrayView(line).first(name.size()).compare(name, Qt::CaseInsensitive) == 0;
}

// Runs of white space made one space, none at the ends: a folded field reads the same unfolded.
QByteArray simplified(QByteArrayView value)
{
    return value.toByteArray().simplified();
}

} // namespace

DigestBuilder::DigestBuilder()
    : state_(XXH3_createState(), [](XXH3_state_s *state) { XXH3_freeState(state); })
{
    if (!state_)
        throw std::bad_alloc();
    XXH3_128bits_reset(state_.get());
}

void DigestBuilder::hashGathered()
{
    XXH3_128bits_update(state_.get(), gather_.get(), size_t(gathered_));
    gathered_ = 0;
}

void DigestBuilder::addSlowly(QByteArrayView text)
{
    if (text.isEmpty())
        return;
    if (inHeader_)
        watchHeader(text);
    length_ += text.size();
    last_ = text.back();
    if (text.size() >= GatherSize) {
        hashGathered();
        XXH3_128bits_update(state_.get(), text.data(), size_t(text.size()));
        return;
    }
    if (gathered_ + text.size() > GatherSize)
        hashGathered();
    std::memcpy(gather_.get() + gathered_, text.data(), size_t(text.size()));
    gathered_ += text.size();
}

void DigestBuilder::watchHeader(QByteArrayView text)
{
    while (inHeader_ && !text.isEmpty()) {
        const qsizetype lf = text.indexOf('\n');
        const QByteArrayView part = lf < 0 ? text : text.first(lf);
        if (line_.size() < LongestKeptLine)
            line_.append(part.first(qMin(part.size(), LongestKeptLine - line_.size())));
        if (lf < 0)
            return;
        endHeaderLine();
        text = text.sliced(lf + 1);
    }
}

void DigestBuilder::endHeaderLine()
{
    if (line_.isEmpty()) {
        inHeader_ = false;
    } else if (line_[0] == ' ' || line_[0] == '\t') {
        if (continued_)
            *continued_ = simplified(*continued_ + ' ' + line_);
    } else {
        continued_ = nullptr;
        if (messageId_.isEmpty() && startsWithName(line_, "Message-ID:"))
            continued_ = &messageId_;
        else if (date_.isEmpty() && startsWithName(line_, "Date:"))
            continued_ = &date_;
        if (continued_)
            *continued_ = simplified(line_);
    }
    line_.clear();
}

void DigestBuilder::endLastLine()
{
    if (last_ != '\n')
        add("\n");
}

TextDigest DigestBuilder::finish()
{
    if (inHeader_ && !line_.isEmpty())
        endHeaderLine();
    hashGathered();
    const XXH128_hash_t value = XXH3_128bits_digest(state_.get());
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, value);
    TextDigest digest;
    digest.hash = QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof canonical.digest);
    digest.length = length_;
    digest.key = !messageId_.isEmpty() ? messageId_ : date_;

    XXH3_128bits_reset(state_.get());
    length_ = 0;
    last_ = '\n';
    inHeader_ = true;
    line_.clear();
    messageId_.clear();
    date_.clear();
    continued_ = nullptr;
    return digest;
}
