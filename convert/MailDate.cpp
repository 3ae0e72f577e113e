#include "convert/MailDate.h"

#include "convert/GMimeSupport.h"

#include <QList>
#include <gmime/gmime.h>
#include <optional>

namespace {

constexpr const char *MonthNames[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                      "jul", "aug", "sep", "oct", "nov", "dec"};

QByteArray WithoutComments(const QByteArray &text)
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
QList<QByteArray> Tokens(const QByteArray &text)
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

bool AllDigits(const QByteArray &token)
{
    if (token.isEmpty())
        return false;
    for (char c : token)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool AllLetters(const QByteArray &token)
{
    if (token.isEmpty())
        return false;
    for (char c : token)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
}

int MonthNumber(const QByteArray &token)
{
    const QByteArray lower = token.toLower();
    for (int m = 0; m < 12; ++m)
        if (lower == MonthNames[m])
            return m + 1;
    return 0;
}

std::optional<int> ZoneOffsetSeconds(const QByteArray &token)
{
    if (token.size() == 5 && (token[0] == '+' || token[0] == '-') && AllDigits(token.mid(1))) {
        const int hours = token.mid(1, 2).toInt();
        const int minutes = token.mid(3, 2).toInt();
        if (minutes > 59)
            return std::nullopt;
        const int seconds = hours * 3600 + minutes * 60;
        return token[0] == '-' ? -seconds : seconds;
    }
    if (!AllLetters(token))
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

std::optional<QTime> TimeOfDay(const QByteArray &token)
{
    const QList<QByteArray> parts = token.split(':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int values[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (!AllDigits(parts[i]) || parts[i].size() > 2)
            return std::nullopt;
        values[i] = parts[i].toInt();
    }
    if (values[0] > 23 || values[1] > 59 || values[2] > 60)
        return std::nullopt;
    // A leap second has no place in QTime.
    return QTime(values[0], values[1], values[2] == 60 ? 59 : values[2]);
}

int FullYear(const QByteArray &token)
{
    const int year = token.toInt();
    if (token.size() == 2)
        return year < 50 ? 2000 + year : 1900 + year;
    if (token.size() == 3)
        return 1900 + year;
    return year;
}

QDateTime InRange(const QDateTime &utc)
{
    if (!utc.isValid() || utc.date().year() < 1 || utc.date().year() > 9999)
        return {};
    return utc;
}

// nullopt when the text is not in RFC 5322 form at all; an invalid date when
// it is, but names a day or time that does not exist.
std::optional<QDateTime> ParseRfc5322(const QByteArray &text)
{
    QList<QByteArray> tokens = Tokens(WithoutComments(text));
    if (!tokens.isEmpty() && AllLetters(tokens.first()) && MonthNumber(tokens.first()) == 0)
        tokens.removeFirst();  // the weekday, which is computed, never trusted
    if (tokens.size() < 4 || tokens.size() > 5)
        return std::nullopt;
    const QByteArray &day = tokens[0], &month = tokens[1], &year = tokens[2];
    const int monthNumber = MonthNumber(month);
    if (!AllDigits(day) || day.size() > 2 || monthNumber == 0 || !AllDigits(year) || year.size() < 2
        || tokens[3].count(':') < 1)
        return std::nullopt;
    const std::optional<QTime> time = TimeOfDay(tokens[3]);
    const std::optional<int> offset = tokens.size() == 5 ? ZoneOffsetSeconds(tokens[4]) : std::optional<int>(0);
    const QDate date(FullYear(year), monthNumber, day.toInt());
    if (!time || !offset || !date.isValid())
        return QDateTime();
    return InRange(QDateTime(date, *time, Qt::UTC).addSecs(-*offset));
}

QDateTime ParseWithGMime(const QByteArray &text)
{
    EnsureGMimeInitialised();
    GDateTime *decoded = g_mime_utils_header_decode_date(text.constData());
    if (!decoded)
        return {};
    QDateTime result;
    if (GDateTime *utc = g_date_time_to_utc(decoded)) {
        const QDate date(g_date_time_get_year(utc), g_date_time_get_month(utc), g_date_time_get_day_of_month(utc));
        const QTime time(g_date_time_get_hour(utc), g_date_time_get_minute(utc), g_date_time_get_second(utc));
        result = QDateTime(date, time, Qt::UTC);
        g_date_time_unref(utc);
    }
    g_date_time_unref(decoded);
    return InRange(result);
}

} // namespace

QDateTime ParseMailDate(const QByteArray &text)
{
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const std::optional<QDateTime> strict = ParseRfc5322(trimmed);
    return strict ? *strict : ParseWithGMime(trimmed);
}
