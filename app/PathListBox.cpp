#include "app/PathListBox.h"

#include "app/frmStep1.h"
#include "modules/Dialogs.h"
#include "modules/FirstLines.h"

void ShowPathListBox(frmStep1 &window, const QString &heading, const QStringList &paths)
{
    const QString lineEnd = QStringLiteral("\n");
    const QString prompt = heading + lineEnd + lineEnd + FirstLines(paths, MaxListedPaths, lineEnd);
    const QString details = paths.size() > MaxListedPaths ? paths.join(lineEnd) + lineEnd : QString();
    window.MsgBox(prompt.trimmed(), MsgBoxStyle::Exclamation, frmStep1::ApplicationTitle(), details);
}

QString CountOf(qsizetype count, const QString &singular, const QString &plural)
{
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? singular : plural);
}
