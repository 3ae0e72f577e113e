#include "engine/message/EnvelopeLine.h"

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
    if (!message.startsWith("From "))
        return {};
    qsizetype afterName = 4;
    while (afterName < message.size() && isBlank(message[afterName]))
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
