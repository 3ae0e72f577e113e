#pragma once

#include "engine/mbox/MboxAppender.h"
#include "engine/mbox/MboxRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// Records made and appended by the writer the run uses, so that tests and
// fuzzers check the code that ships. Header only: the fuzz targets use it too.

// The separator line, then the message through RecordBody.
inline QByteArray mboxRecord(const QString &sender, const QDateTime &date, QByteArrayView message, bool lfLineEnds = false)
{
    QByteArray record = separatorLine(sender, date, lfLineEnds);
    OutputPieces out(64 * 1024, [&record](QByteArrayView piece) { record.append(piece); });
    RecordBody body(out, lfLineEnds);
    body.feed(message);
    body.finish();
    out.flush();
    return record;
}

// Bytes already made whole, through an MboxAppender of their own: the first
// line as the record's start, the rest in pieces, as the run hands them on.
inline AppendOutcome appendMboxRecord(const QString &mboxPath, QByteArrayView record, AppendRules rules = {})
{
    const qsizetype lineEnd = record.indexOf('\n');
    const qsizetype startLength = lineEnd < 0 ? record.size() : lineEnd + 1;
    MboxAppender appender(mboxPath, std::move(rules));
    return appender.append(record.first(startLength), [&](OutputPieces &out) {
        out.append(record.sliced(startLength));
        return QString();
    });
}
