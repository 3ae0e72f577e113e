#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The leading "From " envelope line of a message at hand, by EnvelopeSkip's
// rule. The line ends at the first CR LF, CR or LF, whatever the file uses
// elsewhere.
struct EnvelopeLine {
    QByteArrayView text;        // the line without its break; empty when there is none
    qsizetype lengthWithBreak = 0;  // bytes to skip to reach the message itself
    bool present() const { return lengthWithBreak > 0; }
};

EnvelopeLine findEnvelopeLine(QByteArrayView message);

// The sender and the date text of an envelope line, "From sender date...",
// split at the first space or tab. A weekday straight after "From " means the
// sender was left empty (as in "From  Fri Jul  8 12:08:34 2011").
struct EnvelopeParts {
    QByteArray sender;
    QByteArray date;
};
EnvelopeParts splitEnvelopeLine(QByteArrayView line);
