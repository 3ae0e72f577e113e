#include "engine/message/HeaderSource.h"

#include "engine/message/EnvelopeLine.h"
#include "engine/message/GMimeSupport.h"
#include "engine/message/HeaderBlock.h"
#include "engine/message/MailDate.h"

namespace {

QString firstMailbox(InternetAddressList *list)
{
    const int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress *address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            const char *addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
            if (addr && *addr)
                return QString::fromUtf8(addr);
        } else if (INTERNET_ADDRESS_IS_GROUP(address)) {
            const QString member = firstMailbox(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)));
            if (!member.isEmpty())
                return member;
        }
    }
    return {};
}

// No real sender field comes near this; the first mailbox is all we use.
constexpr qsizetype AddressTextLimit = 16 * 1024;

QString addressIn(const QByteArray &fieldValue)
{
    if (fieldValue.trimmed().isEmpty())
        return {};
    ensureGMimeInitialised();
    // Without this option GMime's parser takes time growing with the square
    // of the field's length on bare names ("a,a,a,..."); with it, a bare
    // name before a comma is a mailbox of its own, as the author wrote it.
    const GMimePtr<GMimeParserOptions> options(g_mime_parser_options_new());
    g_mime_parser_options_set_allow_addresses_without_domain(options.get(), TRUE);
    const QByteArray text = fieldValue.left(AddressTextLimit);
    const GMimePtr<InternetAddressList> list(internet_address_list_parse(options.get(), text.constData()));
    if (!list)
        return {};
    return firstMailbox(list.get());
}

bool invisible(char32_t codePoint)
{
    const QChar::Category category = QChar::category(codePoint);
    return QChar::isSpace(codePoint) || category == QChar::Other_Control || category == QChar::Other_Format;
}

QString readable(const QString &sender)
{
    QString readable;
    readable.reserve(sender.size());
    for (const char32_t codePoint : sender.toUcs4()) {
        if (invisible(codePoint))
            readable.append(QLatin1Char('-'));
        else
            readable.append(QString::fromUcs4(&codePoint, 1));
    }
    return readable;
}

QDateTime receivedDate(const QByteArray &received)
{
    const qsizetype semicolon = received.lastIndexOf(';');
    return semicolon < 0 ? QDateTime() : parseMailDate(received.mid(semicolon + 1));
}

} // namespace

void HeaderSource::loadFromBytes(const QByteArray &message, const QDateTime &modified)
{
    const HeaderBlock header(message);
    const EnvelopeParts envelope = splitEnvelopeLine(header.envelopeLine());

    QString sender = addressIn(header.first("From"));
    if (sender.isEmpty())
        sender = addressIn(header.first("Sender"));
    if (sender.isEmpty())
        sender = addressIn(header.first("Return-Path"));
    if (sender.isEmpty() && envelope.sender != "<>")
        sender = QString::fromUtf8(envelope.sender);
    sender_ = sender.isEmpty() ? QString::fromLatin1(NoSender) : readable(sender);

    date_ = dateIn(header, envelope.date, modified, dateSource_);
}

QDateTime HeaderSource::dateIn(const HeaderBlock &header, const QByteArray &envelopeDate, const QDateTime &modified,
                               DateSource &source)
{
    QDateTime date = parseMailDate(header.first("Date"));
    source = DateSource::DateField;
    if (!date.isValid()) {
        date = receivedDate(header.first("Received"));
        source = DateSource::Received;
    }
    if (!date.isValid()) {
        date = parseMailDate(envelopeDate);
        source = DateSource::EnvelopeLine;
    }
    if (!date.isValid() && modified.isValid()) {
        date = modified.toUTC();
        source = DateSource::FileTime;
    }
    if (date.isValid())
        return date;
    source = DateSource::None;
    return QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
}

QDateTime HeaderSource::dateOf(const QByteArray &message, const QDateTime &modified, DateSource *source)
{
    const HeaderBlock header(message);
    DateSource found = DateSource::None;
    const QDateTime date = dateIn(header, splitEnvelopeLine(header.envelopeLine()).date, modified, found);
    if (source)
        *source = found;
    return date;
}
