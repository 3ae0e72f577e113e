#pragma once

#include <QDateTime>
#include <QString>

// A command's complete report as a plain-text file, one per run, in
// reportFolder(): a box shows only the first lines of a long list.
struct [[nodiscard]] SavedReport {
    QString path;     // the file written, or the one that could not be
    QString failure;  // empty when the file was written
    bool saved() const { return failure.isEmpty(); }
};

// Writes text to "<kind>-<yyyy-MM-ddTHH-mm-ss>[-n].txt" in the report folder,
// making the folder when needed; an existing report is never overwritten.
// Never throws: a report that cannot be written says why.
SavedReport saveReport(const QString &kind, const QString &text,
                       const QDateTime &when = QDateTime::currentDateTime());

// The line a box adds to name the report file, or to say it could not be written.
QString savedReportLine(const SavedReport &saved);
