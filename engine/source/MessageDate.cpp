#include "engine/source/MessageDate.h"

#include "engine/message/EnvelopeLine.h"
#include "engine/message/MailDate.h"

QDateTime messageDate(const SourceMessage &message, const QByteArray &start, const QDateTime &modified,
                      DateSource *source, QString *sender)
{
    if (!message.envelope.isEmpty())
        if (const QDateTime date = parseMailDate(splitEnvelopeLine(message.envelope).date); date.isValid()) {
            if (source)
                *source = DateSource::Separator;
            return date;
        }
    if (!sender)
        return HeaderSource::dateOf(start, modified, source);
    HeaderSource header;
    header.loadFromBytes(start, modified);
    *sender = header.getSender();
    if (source)
        *source = header.dateSource();
    return header.getDate();
}
