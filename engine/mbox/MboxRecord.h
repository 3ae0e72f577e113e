#pragma once

#include "engine/mbox/BodyQuoter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <functional>

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

// Called now and then while a large body is built, with the number of body
// bytes written so far; it may throw to abandon the record.
using BodyProgress = std::function<void(qsizetype bodyBytes)>;

// Appends the message's lines to out, quoted as BodyQuoter does (which see).
// Returns the number of bytes appended.
qsizetype appendBody(QByteArray &out, QByteArrayView message, const BodyProgress &progress = {});

// Separator line, body and closing line in one buffer.
QByteArray buildRecord(const QString &sender, const QDateTime &date, QByteArrayView message, bool lfLineEnds = false);
