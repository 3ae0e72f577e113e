#pragma once

#include <QString>

// Sizes and times as the command prints them: "1.1 GiB" (1024 based), "0:03", "12,345".
QString sizeText(qint64 bytes);
QString durationText(qint64 seconds);
QString countText(qint64 count);
// "1 folder", "2 folders", "12345 folders"
QString countOf(qint64 count, const char *one, const char *many);

// The progress line, at most width columns: messages done of total, MiB
// written, MiB/s, elapsed and estimated time left, the current file's name
// shortened at its start to fit.
struct ProgressFigures {
    int done = 0;
    int total = 0;
    qint64 bytes = 0;
    qint64 elapsedMs = 0;
    QString current;
};
QString progressText(const ProgressFigures &figures, int width);
