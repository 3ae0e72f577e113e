#pragma once

#include <QString>

class QFontMetrics;
class QScreen;

// A message box's text made to fit on the screen: each line longer than
// maxWidth is shortened in its middle (a path keeps its start and its file
// name), and past maxLines the lines in the middle give way to one "…" line.
// The line ends are kept as they are.
QString FitLines(const QString &text, const QFontMetrics &metrics, int maxWidth, int maxLines);

// The same against the screen's available room for a message box, whose
// buttons, margins and opened details take the rest.
QString FitMessageBoxText(const QString &text, const QFontMetrics &metrics, const QScreen &screen);
