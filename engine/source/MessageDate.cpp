#include "engine/source/MessageDate.h"

#include "engine/message/EnvelopeLine.h"
#include "engine/message/MailDate.h"

QDateTime messageDate(const SourceMessage &message, const QByteArray &start, const QDateTime &modified,
                      DateSource *source)
{
    if (!message.envelope.isEmpty())
        if (const QDateTime date = parseMailDate(splitEnvelopeLine(message.envelope).date); date.isValid()) {
            if (source)
                *source = DateSource::Separator;
            return date;
        }
    return HeaderSource::dateOf(start, modified, source);
}
