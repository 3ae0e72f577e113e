#pragma once

#include <QString>

class QFontMetrics;
class QScreen;

// A message box's text made to fit on the screen: each line holding a path
// that is longer than maxWidth is shortened in its middle (keeping its start
// and its file name); other lines are left to wrap. Past maxLines rows the
// lines in the middle give way to one "…" line. The last line, which names the
// report file, may take a few rows rather than lose its path.
// The line ends are kept as they are.
QString fitLines(const QString &text, const QFontMetrics &metrics, int maxWidth, int maxLines);

// The same against the screen's available room for a message box, whose
// buttons, margins and opened details take the rest.
QString fitMessageBoxText(const QString &text, const QFontMetrics &metrics, const QScreen &screen);
