#include "engine/message/EnvelopeLine.h"

#include "engine/message/EnvelopeSkip.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// As mutt reads envelope lines: a weekday where the sender belongs means the
// sender was left empty.
bool startsWithDayName(QByteArrayView text)
{
    static constexpr const char *Days[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    if (text.size() < 4 || !isBlank(text[3]))
        return false;
    const QByteArray name = text.first(3).toByteArray().toLower();
    for (const char *day : Days)
        if (name == day)
            return true;
    return false;
}

} // namespace

EnvelopeLine findEnvelopeLine(QByteArrayView message)
{
    qsizetype handedOn = 0;
    const auto count = [&handedOn](QByteArrayView text) { handedOn += text.size(); };
    EnvelopeSkip envelope;
    envelope.feed(message, count);
    envelope.finish(count);
    const qsizetype length = message.size() - handedOn;
    if (length == 0)
        return {};
    QByteArrayView text = message.first(length);
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    return {text, length};
}

EnvelopeParts splitEnvelopeLine(QByteArrayView line)
{
    QByteArrayView rest = line.sliced(qMin<qsizetype>(5, line.size()));
    while (!rest.isEmpty() && isBlank(rest.front()))
        rest = rest.sliced(1);
    if (startsWithDayName(rest))
        return {{}, rest.toByteArray().trimmed()};
    qsizetype end = 0;
    while (end < rest.size() && !isBlank(rest[end]))
        ++end;
    return {rest.first(end).toByteArray(), rest.sliced(end).toByteArray().trimmed()};
}
