#include "engine/message/EnvelopeLine.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// As mutt reads envelope lines: a weekday where the sender belongs means the
// sender was left empty.
bool StartsWithDayName(QByteArrayView text)
{
    static constexpr const char *Days[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    if (text.size() < 4 || !IsBlank(text[3]))
        return false;
    const QByteArray name = text.first(3).toByteArray().toLower();
    for (const char *day : Days)
        if (name == day)
            return true;
    return false;
}

} // namespace

EnvelopeLine FindEnvelopeLine(QByteArrayView message)
{
    if (!message.startsWith("From "))
        return {};
    qsizetype afterName = 4;
    while (afterName < message.size() && IsBlank(message[afterName]))
        ++afterName;
    if (afterName < message.size() && message[afterName] == ':')
        return {};  // "From :" is a header field in the obsolete syntax
    qsizetype end = 0;
    while (end < message.size() && message[end] != '\r' && message[end] != '\n')
        ++end;
    qsizetype next = end;
    if (next < message.size() && message[next] == '\r')
        ++next;
    if (next < message.size() && message[next] == '\n')
        ++next;
    return {message.first(end), next};
}

EnvelopeParts SplitEnvelopeLine(QByteArrayView line)
{
    QByteArrayView rest = line.sliced(qMin<qsizetype>(5, line.size()));
    while (!rest.isEmpty() && IsBlank(rest.front()))
        rest = rest.sliced(1);
    if (StartsWithDayName(rest))
        return {{}, rest.toByteArray().trimmed()};
    qsizetype end = 0;
    while (end < rest.size() && !IsBlank(rest[end]))
        ++end;
    return {rest.first(end).toByteArray(), rest.sliced(end).toByteArray().trimmed()};
}
