#include "convert/MboxRecord.h"

#include "convert/EnvelopeLine.h"

#include <cstring>

namespace {

constexpr const char *DayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char *MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr qsizetype ProgressInterval = 64 * 1024;

void AppendPadded(QByteArray &out, int value, int width)
{
    out.append(QByteArray::number(value).rightJustified(width, '0'));
}

bool NeedsQuoting(const char *p, const char *end)
{
    while (p < end && *p == '>')
        ++p;
    return end - p >= 5 && std::memcmp(p, "From ", 5) == 0;
}

// memchr per byte value, remembered until passed: the scan stays one pass even
// though two different bytes end a stretch.
class NextByte {
public:
    NextByte(char byte, const char *end) : byte_(byte), end_(end) {}
    const char *From(const char *p)
    {
        if (found_ < p) {
            const void *hit = std::memchr(p, byte_, size_t(end_ - p));
            found_ = hit ? static_cast<const char *>(hit) : end_;
        }
        return found_;
    }

private:
    char byte_;
    const char *end_;
    const char *found_ = nullptr;
};

} // namespace

QByteArray FormatSeparatorDate(const QDateTime &date)
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
    AppendPadded(text, day.day(), 2);
    text.append(' ');
    AppendPadded(text, time.hour(), 2);
    text.append(':');
    AppendPadded(text, time.minute(), 2);
    text.append(':');
    AppendPadded(text, time.second(), 2);
    text.append(' ');
    AppendPadded(text, day.year(), 4);
    return text;
}

QByteArray SeparatorLine(const QString &sender, const QDateTime &date)
{
    return "From " + sender.toUtf8() + ' ' + FormatSeparatorDate(date) + "\r\n";
}

qsizetype AppendBody(QByteArray &out, QByteArrayView message, const BodyProgress &progress)
{
    message = message.sliced(FindEnvelopeLine(message).lengthWithBreak);
    const char *p = message.data();
    const char *const end = p + message.size();
    if (p == end)
        return 0;

    // Worst case: every byte a lone CR, each widened to CR LF.
    const qsizetype start = out.size();
    out.resize(start + 2 * message.size() + 2);
    char *w = out.data() + start;
    const char *const bodyStart = w;

    NextByte nextCr('\r', end), nextLf('\n', end);
    const char *nextReport = p + ProgressInterval;
    bool endsWithCrBreak = false;
    while (p < end) {
        if (progress && p >= nextReport) {
            progress(w - bodyStart);
            nextReport = p + ProgressInterval;
        }
        if (NeedsQuoting(p, end))
            *w++ = '>';
        const char *cr = nextCr.From(p);
        const char *lf = nextLf.From(p);
        const char *stop = cr < lf ? cr : lf;
        std::memcpy(w, p, size_t(stop - p));
        w += stop - p;
        p = stop;
        if (p == end) {
            endsWithCrBreak = false;
        } else if (*p == '\r') {
            *w++ = '\r';
            *w++ = '\n';
            ++p;
            if (p < end && *p == '\n')
                ++p;
            endsWithCrBreak = true;
        } else {
            *w++ = '\n';  // a lone LF is part of the line
            ++p;
            endsWithCrBreak = false;
        }
    }
    if (!endsWithCrBreak) {
        *w++ = '\r';
        *w++ = '\n';
    }
    const qsizetype written = w - bodyStart;
    out.resize(start + written);
    return written;
}

QByteArray BuildRecord(const QString &sender, const QDateTime &date, QByteArrayView message)
{
    QByteArray record = SeparatorLine(sender, date);
    AppendBody(record, message);
    record.append("\r\n");
    return record;
}
