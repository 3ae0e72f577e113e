#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Where a message's date was found, the first that gave one.
enum class DateSource {
    DateField,     // its Date field
    Received,      // the last date of its first Received field
    EnvelopeLine,  // its leading "From " envelope line
    Separator,     // the separator line it has in its mbox, which its record keeps
    FileTime,      // the file's modification time
    None,          // nothing: the start of 1970
};

class HeaderBlock;

// The sender and date of one message, as its mbox separator line needs them.
// Only the header block is read. Whatever is missing or unreadable is filled
// in from the fallbacks, so getDate and getSender always answer.
class HeaderSource {
public:
    static constexpr const char *NoSender = "MAILER-DAEMON";

    // Reads the message's header block. modified (UTC) is the last fallback
    // for the date.
    void loadFromBytes(const QByteArray &message, const QDateTime &modified);

    // The date alone, as loadFromBytes finds it, for a caller that needs
    // nothing else (and not the sender's parse).
    static QDateTime dateOf(const QByteArray &message, const QDateTime &modified, DateSource *source = nullptr);

    // In UTC, to the second.
    QDateTime getDate() const { return date_; }
    DateSource dateSource() const { return dateSource_; }
    // A bare address with no spaces or control characters.
    QString getSender() const { return sender_; }

private:
    static QDateTime dateIn(const HeaderBlock &header, const QByteArray &envelopeDate, const QDateTime &modified,
                            DateSource &source);

    QString sender_ = QString::fromLatin1(NoSender);
    QDateTime date_ = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    DateSource dateSource_ = DateSource::None;
};
