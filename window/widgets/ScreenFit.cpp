#include "window/widgets/ScreenFit.h"

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

// Where the path in a line ends: at ".eml" followed by its reason, else at
// the first ": " or " (" after it. A reason may name a folder of its own.
qsizetype endOfPath(const QString &line, qsizetype pathStart)
{
    qsizetype end = -1;
    for (const QString &tail : {QStringLiteral(".eml: "), QStringLiteral(".eml (")}) {
        const qsizetype at = line.indexOf(tail, pathStart, Qt::CaseInsensitive);
        if (at >= 0 && (end < 0 || at + 4 < end))
            end = at + 4;
    }
    if (end >= 0)
        return end;
    for (const QString &separator : {QStringLiteral(": "), QStringLiteral(" (")}) {
        const qsizetype at = line.indexOf(separator, pathStart);
        if (at >= 0 && (end < 0 || at < end))
            end = at;
    }
    return end < 0 ? line.size() : end;
}

// "path: reason" and "path (reason)", after any words before the path: the
// folder gives way in its middle; the file name, which tells the lines apart,
// and the reason, which says what to do, stay whole. A reason too long for
// the row wraps onto the next ones at its spaces.
QString shortenLine(const QString &line, const QFontMetrics &metrics, int maxWidth)
{
    if (metrics.horizontalAdvance(line) <= maxWidth)
        return line;
    const qsizetype pathStart = line.indexOf(QLatin1Char('/'));
    const qsizetype pathEnd = endOfPath(line, pathStart);
    const qsizetype nameStart = line.lastIndexOf(QLatin1Char('/'), pathEnd - 1) + 1;
    const QString before = line.left(pathStart);
    const QString folder = line.mid(pathStart, nameStart - pathStart);
    QString name = line.mid(nameStart, pathEnd - nameStart);
    const QString reason = line.mid(pathEnd);

    const int aroundFolder = metrics.horizontalAdvance(before + name + reason);
    if (aroundFolder + metrics.horizontalAdvance(QString(Ellipsis) + QLatin1Char('/')) <= maxWidth)
        return before + metrics.elidedText(folder, Qt::ElideMiddle, maxWidth - metrics.horizontalAdvance(before + name + reason)) + name + reason;
    // The reason goes on the next rows: the first holds the path up to the
    // separator after it, for the wrap to break at the space that follows.
    const QString separator = reason.startsWith(QLatin1Char(':')) ? QStringLiteral(":") : QString();
    const int room = maxWidth - metrics.horizontalAdvance(before + separator);
    const int nameRoom = room - metrics.horizontalAdvance(QString(Ellipsis) + QLatin1Char('/'));
    if (metrics.horizontalAdvance(name) > nameRoom)
        name = metrics.elidedText(name, Qt::ElideMiddle, nameRoom);
    return before + metrics.elidedText(folder, Qt::ElideMiddle, room - metrics.horizontalAdvance(name)) + name + reason;
}
}

QString fitLines(const QString &text, const QFontMetrics &metrics, int maxWidth, int maxLines)
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
            line = shortenLine(line, metrics, width);
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

QString fitMessageBoxText(const QString &text, const QFontMetrics &metrics, const QScreen &screen)
{
    const QRect available = screen.availableGeometry();
    const int width = qMax(NarrowestText, qMin(available.width() / 2, WrapLimit) - BesideText);
    const int lines = qMax(FewestLines, (available.height() - BelowText) / qMax(1, metrics.lineSpacing()));
    return fitLines(text, metrics, width, lines);
}
