#include "cli/Figures.h"

#include <QLocale>

QString sizeText(qint64 bytes)
{
    static const char *const units[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024)
        return QString::number(bytes) + (bytes == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QString::number(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(units[unit]);
}

QString durationText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2").arg(hours ? (seconds / 60) % 60 : seconds / 60)
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours == 0)
        return minutesSeconds;
    return QString::number(hours) + QLatin1Char(':') + minutesSeconds.rightJustified(5, QLatin1Char('0'));
}

QString countText(qint64 count)
{
    QLocale english(QLocale::English);
    return english.toString(count);
}

QString countOf(qint64 count, const char *one, const char *many)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

QString progressText(const ProgressFigures &figures, int width)
{
    const double seconds = double(figures.elapsedMs) / 1000.0;
    const double megabytes = double(figures.bytes) / (1024.0 * 1024.0);
    QString text = QStringLiteral("%1/%2  %3 MiB  %4 MiB/s  %5")
                       .arg(figures.done)
                       .arg(figures.total)
                       .arg(megabytes, 0, 'f', 1)
                       .arg(seconds > 0 ? megabytes / seconds : 0.0, 0, 'f', 1)
                       .arg(durationText(figures.elapsedMs / 1000));
    if (figures.done > 0 && figures.done < figures.total) {
        const qint64 left = figures.elapsedMs * (figures.total - figures.done) / figures.done / 1000;
        text += QStringLiteral("  %1 left").arg(durationText(left));
    }
    // Three columns kept free: a line that fills the last column wraps on some
    // terminals, and so does one that the terminal's "^C" echo runs past the
    // end, which then leaves the line on the screen above the summary.
    const int usable = width - 3;
    const int room = usable - int(text.size()) - 2;
    if (room >= 8 && !figures.current.isEmpty()) {
        QString name = figures.current;
        if (name.size() > room)
            name = QStringLiteral("...") + name.right(room - 3);
        text += QStringLiteral("  ") + name;
    }
    if (text.size() > usable)
        text.truncate(qMax(0, usable));
    return text;
}
