#pragma once

#include <QByteArray>
#include <QDateTime>

// Reads a date as mail headers and envelope lines write it, and returns it in
// UTC. Accepts every form RFC 5322 allows, the obsolete ones included (two- and
// three-digit years, named and military zones, missing seconds or weekday,
// comments), the ctime() form of envelope lines for every year 1 to 9999, and
// the slips real mail makes (a weekday in another language, a zone glued to
// the time); anything else is handed to GMime's lenient decoder. An invalid
// QDateTime means no usable date, and so does a year outside 1 to 9999.
QDateTime parseMailDate(const QByteArray &text);
