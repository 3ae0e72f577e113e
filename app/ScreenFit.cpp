#include "app/ScreenFit.h"

#include <QFontMetrics>
#include <QScreen>
#include <QStringList>

namespace {
// Qt wraps a message box's text once the box would be wider than half the
// screen or 500 px; a wrapped list of paths is what grew boxes past the screen.
constexpr int WrapLimit = 500;
// The icon, margins and spacing beside the text.
constexpr int BesideText = 100;
// Title bar, buttons, margins and the details area when it is opened.
constexpr int BelowText = 260;
constexpr int NarrowestText = 120;
constexpr int FewestLines = 5;
// The last line names the report file: shortened, it would hide the very path
// it is there to give. It may wrap over this many lines instead.
constexpr int LastLineRows = 3;
const QChar Ellipsis(0x2026);

// "path: reason" and "path (reason)" keep their reason whole when it is short,
// and the path gives way in its middle: its file name is what tells the lines apart.
QString ShortenLine(const QString &line, const QFontMetrics &metrics, int maxWidth)
{
    if (metrics.horizontalAdvance(line) <= maxWidth)
        return line;
    const qsizetype nameStart = line.lastIndexOf(QLatin1Char('/'));
    if (nameStart >= 0) {
        qsizetype split = line.indexOf(QStringLiteral(": "), nameStart);
        const qsizetype bracket = line.indexOf(QStringLiteral(" ("), nameStart);
        if (split < 0 || (bracket >= 0 && bracket < split))
            split = bracket;
        if (split > 0) {
            const QString reason = line.mid(split);
            const int reasonWidth = metrics.horizontalAdvance(reason);
            if (reasonWidth <= maxWidth / 2)
                return metrics.elidedText(line.left(split), Qt::ElideMiddle, maxWidth - reasonWidth) + reason;
        }
    }
    return metrics.elidedText(line, Qt::ElideMiddle, maxWidth);
}
}

QString FitLines(const QString &text, const QFontMetrics &metrics, int maxWidth, int maxLines)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    const bool endsWithBreak = lines.size() > 1 && lines.last().isEmpty();
    if (endsWithBreak)
        lines.removeLast();

    // A path has no room to wrap and gives way in its middle; a sentence keeps
    // every word (the program's own texts stay as they are) and wraps instead.
    QList<int> rows;
    for (QString &line : lines) {
        const bool carriageReturn = line.endsWith(QLatin1Char('\r'));
        if (carriageReturn)
            line.chop(1);
        const bool last = &line == &lines.last() && lines.size() > 1;
        const int width = last ? LastLineRows * maxWidth : maxWidth;
        if (line.contains(QLatin1Char('/')))
            line = ShortenLine(line, metrics, width);
        rows.append(qMax(1, (metrics.horizontalAdvance(line) + maxWidth - 1) / qMax(1, maxWidth)));
        if (carriageReturn)
            line += QLatin1Char('\r');
    }

    int total = 0;
    for (int r : rows)
        total += r;
    if (total > maxLines && lines.size() >= 3) {
        // The last line stays: it names where the complete list went.
        int room = maxLines - rows.last() - 1;
        qsizetype head = 0;
        while (head < lines.size() - 1 && rows[head] <= room)
            room -= rows[head++];
        lines = lines.mid(0, qMax<qsizetype>(head, 1)) + QStringList{QString(Ellipsis)} + lines.mid(lines.size() - 1);
    }
    QString fitted = lines.join(QLatin1Char('\n'));
    if (endsWithBreak)
        fitted += QLatin1Char('\n');
    return fitted;
}

QString FitMessageBoxText(const QString &text, const QFontMetrics &metrics, const QScreen &screen)
{
    const QRect available = screen.availableGeometry();
    const int width = qMax(NarrowestText, qMin(available.width() / 2, WrapLimit) - BesideText);
    const int lines = qMax(FewestLines, (available.height() - BelowText) / qMax(1, metrics.lineSpacing()));
    return FitLines(text, metrics, width, lines);
}
