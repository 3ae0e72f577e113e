#pragma once

#include "engine/mbox/BodyQuoter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// The bytes of one mbox record: the "From " separator line, the message's
// lines each ended by CR LF (or each by LF alone), and an empty closing line.

// "ddd mmm dd hh:mm:ss yyyy" with English names; the weekday comes from the
// date. An invalid date, or one outside the years 1 to 9999, is written as the
// start of 1970.
QByteArray formatSeparatorDate(const QDateTime &date);

// "From " + sender + " " + date + CR LF (or LF)
QByteArray separatorLine(const QString &sender, const QDateTime &date, bool lfLineEnds = false);

// What follows the separator line: the message, fed in pieces of any size,
// quoted as BodyQuoter does (which see), then the closing line. With LF line
// ends every line ends in LF alone instead of CR LF; the quoting is the same.
class RecordBody {
public:
    RecordBody(OutputPieces &out, bool lfLineEnds);
    void feed(QByteArrayView piece) { quoter_.feed(piece); }
    // The closing line goes out, and everything held, into out; the caller flushes out.
    void finish();
    qint64 bytesIn() const { return quoter_.bytesIn(); }

private:
    OutputPieces &out_;
    bool lf_;
    BodyQuoter quoter_;
};
