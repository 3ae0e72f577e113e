#include "convert/EnvelopeLine.h"

EnvelopeLine FindEnvelopeLine(QByteArrayView message)
{
    if (!message.startsWith("From "))
        return {};
    qsizetype afterName = 4;
    while (afterName < message.size() && (message[afterName] == ' ' || message[afterName] == '\t'))
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
    QByteArray rest = line.sliced(qMin<qsizetype>(5, line.size())).toByteArray().trimmed();
    const qsizetype space = rest.indexOf(' ');
    if (space < 0)
        return {rest, {}};
    return {rest.left(space), rest.mid(space + 1).trimmed()};
}
