#include "window/reports/PathListBox.h"

#include "engine/support/ShownName.h"
#include "window/dialogs/Dialogs.h"
#include "window/MainWindow.h"
#include "window/reports/FirstLines.h"

void showPathListBox(MainWindow &window, const QString &heading, const QStringList &paths)
{
    const QString lineEnd = QStringLiteral("\n");
    QStringList shown;
    shown.reserve(paths.size());
    for (const QString &path : paths)
        shown.append(shownName(path));
    const QString prompt = heading + lineEnd + lineEnd + firstLines(shown, MaxListedPaths, lineEnd);
    const QString details = paths.size() > MaxListedPaths ? shown.join(lineEnd) + lineEnd : QString();
    window.showBox(prompt.trimmed(), MsgBoxStyle::Exclamation, MainWindow::applicationTitle(), details);
}

QString countOf(qsizetype count, const QString &singular, const QString &plural)
{
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? singular : plural);
}
