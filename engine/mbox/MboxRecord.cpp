#include "engine/mbox/MboxRecord.h"

namespace {

constexpr const char *DayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char *MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void appendPadded(QByteArray &out, int value, int width)
{
    out.append(QByteArray::number(value).rightJustified(width, '0'));
}

} // namespace

QByteArray formatSeparatorDate(const QDateTime &date)
{
    // The four-digit year has no room for others, and a date that is not
    // there has no weekday: both get the start of 1970, as a message without
    // any date does.
    const bool writable = date.isValid() && date.date().year() >= 1 && date.date().year() <= 9999;
    const QDateTime shown = writable ? date : QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    const QDate day = shown.date();
    const QTime time = shown.time();
    QByteArray text;
    text.reserve(24);
    text.append(DayNames[day.dayOfWeek() - 1]).append(' ');
    text.append(MonthNames[day.month() - 1]).append(' ');
    appendPadded(text, day.day(), 2);
    text.append(' ');
    appendPadded(text, time.hour(), 2);
    text.append(':');
    appendPadded(text, time.minute(), 2);
    text.append(':');
    appendPadded(text, time.second(), 2);
    text.append(' ');
    appendPadded(text, day.year(), 4);
    return text;
}

QByteArray separatorLine(const QString &sender, const QDateTime &date, bool lfLineEnds)
{
    return "From " + sender.toUtf8() + ' ' + formatSeparatorDate(date) + (lfLineEnds ? "\n" : "\r\n");
}

RecordBody::RecordBody(OutputPieces &out, bool lfLineEnds)
    : out_(out), lf_(lfLineEnds), quoter_(out, lfLineEnds)
{
}

void RecordBody::finish()
{
    quoter_.finish();
    out_.append(lf_ ? QByteArrayView("\n") : QByteArrayView("\r\n"));
}
