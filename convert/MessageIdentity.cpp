#include "convert/MessageIdentity.h"

#include "convert/EnvelopeLine.h"

namespace {

// A real header block is a few KB; past this the rest is taken as body.
constexpr qint64 HeaderScanLimit = 1024 * 1024;

bool IsMessageIdField(const QByteArray &field, qsizetype &valueStart)
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

} // namespace

void MessageIdentity::Add(QByteArrayView text)
{
    if (text.isEmpty())
        return;
    lineLength_ += text.size();
    if (inHeader_) {
        headerBytes_ += text.size();
        if (headerBytes_ > HeaderScanLimit) {
            inHeader_ = false;
            EndField();
        } else {
            line_.append(text);
        }
    } else if (!messageId_.isEmpty()) {
        return;  // the identity is known: the body need not be hashed
    }
    for (; pendingBreaks_ > 0; --pendingBreaks_)
        Hash(QByteArrayView("\n", 1));
    Hash(text);
}

// Lines are short: gathered, they reach the hash in a few long calls rather
// than two calls a line.
void MessageIdentity::Hash(QByteArrayView text)
{
    if (gathered_.size() + text.size() > GatherSize) {
        hash_.addData(gathered_);
        gathered_.resize(0);
    }
    if (text.size() >= GatherSize)
        hash_.addData(text);
    else
        gathered_.append(text);
}

void MessageIdentity::EndLine()
{
    ++pendingBreaks_;
    if (inHeader_) {
        if (lineLength_ == 0) {
            inHeader_ = false;
            EndField();
        } else if (line_.startsWith(' ') || line_.startsWith('\t')) {
            field_ += line_;
        } else {
            EndField();
            field_ = line_;
        }
        line_.clear();
    }
    lineLength_ = 0;
}

void MessageIdentity::EndField()
{
    qsizetype valueStart = 0;
    if (messageId_.isEmpty() && IsMessageIdField(field_, valueStart))
        messageId_ = field_.mid(valueStart).simplified();
    field_.clear();
}

QByteArray MessageIdentity::Finish()
{
    if (inHeader_) {
        if (!line_.isEmpty())
            EndLine();
        EndField();
    }
    if (!messageId_.isEmpty())
        return "id:" + messageId_;
    hash_.addData(gathered_);
    gathered_.resize(0);
    return "text:" + hash_.result();
}

QByteArray IdentityOfMessage(QByteArrayView message, DuplicateRule rule)
{
    message = message.sliced(FindEnvelopeLine(message).lengthWithBreak);
    MessageIdentity identity(rule);
    LineSplitter lines;
    lines.Feed(message, [&](QByteArrayView text) { identity.Add(text); }, [&] { identity.EndLine(); });
    return identity.Finish();
}

void MessageIdentity::Reset()
{
    hash_.reset();
    gathered_.resize(0);
    pendingBreaks_ = 0;
    inHeader_ = rule_ == DuplicateRule::MessageId;
    headerBytes_ = 0;
    lineLength_ = 0;
    line_.clear();
    field_.clear();
    messageId_.clear();
}
