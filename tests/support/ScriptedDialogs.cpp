#include "ScriptedDialogs.h"

#include "window/RunTimeError.h"
#include "window/dialogs/OpenDialog.h"

int ScriptedDialogs::msgBox(const QString &prompt, int style, const QString &title)
{
    return msgBoxWithDetails(prompt, style, title, QString());
}

int ScriptedDialogs::msgBoxWithDetails(const QString &prompt, int style, const QString &title, const QString &details)
{
    boxes.append({prompt, style, title, details});
    if (onMsgBox)
        onMsgBox(boxes.last());
    if (!msgBoxAnswers.isEmpty())
        return msgBoxAnswers.dequeue();
    return (style & 0xF) == 4 ? MsgBoxResult::Yes : MsgBoxResult::Ok;
}

void ScriptedDialogs::showOpen(OpenDialog &dialog)
{
    ++openDialogsShown;
    lastFilter = dialog.Filter;
    lastFlags = dialog.Flags;
    lastMaxFileSize = dialog.MaxFileSize;
    dialog.FileName.clear();
    if (openAnswers.isEmpty())
        return;
    const OpenAnswer answer = openAnswers.dequeue();
    if (answer.errorNumber != 0) {
        dialog.FilesThatFit = answer.filesThatFit;
        throw RunTimeError(answer.errorNumber, QStringLiteral("Scripted failure"));
    }
    dialog.FileName = answer.fileName;
}

QString ScriptedDialogs::pickFolder(QWidget *, const QString &prompt)
{
    folderPrompts.append(prompt);
    return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

void ScriptedDialogs::openUrl(const QString &target)
{
    openedUrls.append(target);
}
