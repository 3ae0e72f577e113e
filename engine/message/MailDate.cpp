#include "engine/message/MailDate.h"

#include "engine/message/GMimeSupport.h"

#include <QList>
#include <optional>

namespace {

constexpr const char *MonthNames[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                      "jul", "aug", "sep", "oct", "nov", "dec"};

QByteArray withoutComments(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    int depth = 0;
    bool escaped = false;
    for (char c : text) {
        if (depth > 0) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '(')
                ++depth;
            else if (c == ')' && --depth == 0)
                out.append(' ');
            continue;
        }
        if (c == '(')
            ++depth;
        else
            out.append(c);
    }
    return out;
}

// Obsolete syntax allows folding white space around the colons of the time.
QList<QByteArray> splitTokens(const QByteArray &text)
{
    QByteArray joined;
    joined.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',' || c == '\t' || c == '\r' || c == '\n') {
            joined.append(' ');
        } else if (c == ':') {
            while (joined.endsWith(' '))
                joined.chop(1);
            joined.append(':');
            while (i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t'))
                ++i;
        } else {
            joined.append(c);
        }
    }
    QList<QByteArray> tokens;
    for (const QByteArray &piece : joined.split(' '))
        if (!piece.isEmpty())
            tokens.append(piece);
    return tokens;
}

bool allDigits(const QByteArray &token)
{
    if (token.isEmpty())
        return false;
    for (char c : token)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool allLetters(const QByteArray &token)
{
    if (token.isEmpty())
        return false;
    for (char c : token)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
}

int monthOf(const QByteArray &token)
{
    const QByteArray lower = token.toLower();
    for (int m = 0; m < 12; ++m)
        if (lower == MonthNames[m])
            return m + 1;
    return 0;
}

std::optional<int> zoneOffsetSeconds(const QByteArray &token)
{
    if (token.size() == 5 && (token[0] == '+' || token[0] == '-') && allDigits(token.mid(1))) {
        const int hours = token.mid(1, 2).toInt();
        const int minutes = token.mid(3, 2).toInt();
        if (minutes > 59)
            return std::nullopt;
        const int seconds = hours * 3600 + minutes * 60;
        return token[0] == '-' ? -seconds : seconds;
    }
    if (!allLetters(token))
        return std::nullopt;
    const QByteArray upper = token.toUpper();
    struct Named { const char *name; int hours; };
    static constexpr Named Zones[] = {{"UT", 0}, {"GMT", 0}, {"Z", 0}, {"EST", -5}, {"EDT", -4},
                                      {"CST", -6}, {"CDT", -5}, {"MST", -7}, {"MDT", -6},
                                      {"PST", -8}, {"PDT", -7}};
    for (const Named &zone : Zones)
        if (upper == zone.name)
            return zone.hours * 3600;
    // Military letters were defined backwards in RFC 822; RFC 5322 says to read
    // them, like any other unknown zone name, as "-0000".
    return 0;
}

std::optional<QTime> parseTimeOfDay(const QByteArray &token)
{
    const QList<QByteArray> parts = token.split(':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int values[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (!allDigits(parts[i]) || parts[i].size() > 2)
            return std::nullopt;
        values[i] = parts[i].toInt();
    }
    if (values[0] > 23 || values[1] > 59 || values[2] > 60)
        return std::nullopt;
    // A leap second has no place in QTime.
    return QTime(values[0], values[1], values[2] == 60 ? 59 : values[2]);
}

int fullYear(const QByteArray &token)
{
    const int year = token.toInt();
    if (token.size() == 2)
        return year < 50 ? 2000 + year : 1900 + year;
    if (token.size() == 3)
        return 1900 + year;
    return year;
}

QDateTime inRange(const QDateTime &utc)
{
    if (!utc.isValid() || utc.date().year() < 1 || utc.date().year() > 9999)
        return {};
    return utc;
}

bool isYear(const QByteArray &token)
{
    return allDigits(token) && token.size() >= 2;
}

// nullopt when the parts do not have the shape of a date at all; an invalid
// date when they do, but name a day or time that does not exist.
std::optional<QDateTime> assemble(const QByteArray &day, const QByteArray &month, const QByteArray &year,
                                  const QByteArray &time, const QByteArray *zone)
{
    const int monthNumber = monthOf(month);
    if (!allDigits(day) || day.size() > 2 || monthNumber == 0 || !isYear(year) || time.count(':') < 1)
        return std::nullopt;
    const std::optional<QTime> timeOfDay = parseTimeOfDay(time);
    const std::optional<int> offset = zone ? zoneOffsetSeconds(*zone) : std::optional<int>(0);
    const QDate date(fullYear(year), monthNumber, day.toInt());
    if (!timeOfDay || !offset || !date.isValid())
        return QDateTime();
    return inRange(QDateTime(date, *timeOfDay, Qt::UTC).addSecs(-*offset));
}

// "5 Mar 2024 14:07:09 +0100", the weekday already dropped.
std::optional<QDateTime> parseRfc5322(const QList<QByteArray> &t)
{
    if (t.size() < 4 || t.size() > 5)
        return std::nullopt;
    return assemble(t[0], t[1], t[2], t[3], t.size() == 5 ? &t[4] : nullptr);
}

// "Mar  5 14:07:09 2024", as ctime() and mbox separator lines write it (a
// zone may stand before or after the year), the weekday already dropped.
std::optional<QDateTime> parseAsctime(const QList<QByteArray> &t)
{
    if (t.size() < 4 || t.size() > 5)
        return std::nullopt;
    if (t.size() == 4)
        return assemble(t[1], t[0], t[3], t[2], nullptr);
    const bool zoneLast = isYear(t[3]);
    return assemble(t[1], t[0], zoneLast ? t[3] : t[4], t[2], zoneLast ? &t[4] : &t[3]);
}

QList<QByteArray> withoutWeekday(QList<QByteArray> tokens)
{
    if (!tokens.isEmpty() && allLetters(tokens.first()) && monthOf(tokens.first()) == 0)
        tokens.removeFirst();  // computed from the date, never trusted
    return tokens;
}

// What real mail gets wrong: a weekday in another language or script, a zone
// glued to the time ("11:36:12+0000"), a colon in the zone ("+05:30").
QList<QByteArray> loosened(const QList<QByteArray> &tokens)
{
    QList<QByteArray> out;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QByteArray &token = tokens[i];
        const bool digitFirst = token[0] >= '0' && token[0] <= '9';
        if (i == 0 && !digitFirst && monthOf(token) == 0)
            continue;
        if (digitFirst && token.contains(':')) {
            qsizetype end = 0;
            while (end < token.size() && ((token[end] >= '0' && token[end] <= '9') || token[end] == ':'))
                ++end;
            out.append(token.left(end));
            if (end < token.size())
                out.append(token.mid(end));
        } else {
            out.append(token);
        }
        QByteArray &last = out.last();
        if (last.size() == 6 && (last[0] == '+' || last[0] == '-') && last[3] == ':')
            last.remove(3, 1);
    }
    return out;
}

QDateTime parseWithGMime(const QByteArray &text)
{
    ensureGMimeInitialised();
    const GMimePtr<GDateTime> decoded(g_mime_utils_header_decode_date(text.constData()));
    if (!decoded)
        return {};
    const GMimePtr<GDateTime> utc(g_date_time_to_utc(decoded.get()));
    if (!utc)
        return {};
    const QDate date(g_date_time_get_year(utc.get()), g_date_time_get_month(utc.get()), g_date_time_get_day_of_month(utc.get()));
    const QTime time(g_date_time_get_hour(utc.get()), g_date_time_get_minute(utc.get()), g_date_time_get_second(utc.get()));
    return inRange(QDateTime(date, time, Qt::UTC));
}

} // namespace

QDateTime parseMailDate(const QByteArray &text)
{
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QList<QByteArray> tokens = withoutWeekday(splitTokens(withoutComments(trimmed)));
    // The strict forms first, then the same with the slips of real mail.
    // GMime only sees text whose shape is none of these: it reads a zone
    // glued to the time as midnight, and the year 0001 as 2001.
    bool shaped = false;
    for (const QList<QByteArray> &form : {tokens, loosened(tokens)}) {
        for (auto reading : {&parseRfc5322, &parseAsctime}) {
            if (const std::optional<QDateTime> date = reading(form)) {
                if (date->isValid())
                    return *date;
                shaped = true;
            }
        }
    }
    return shaped ? QDateTime() : parseWithGMime(trimmed);
}
