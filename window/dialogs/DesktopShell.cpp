#include "window/dialogs/DesktopShell.h"

#include "window/dialogs/Dialogs.h"

void ShellOpen(Dialogs &dialogs, const QString &target)
{
    if (target == QString())
        return;
    dialogs.OpenUrl(target);
}

QString BrowseForFolder(Dialogs &dialogs, QWidget *owner, const QString &prompt)
{
    try {
        return dialogs.PickFolder(owner, prompt);
    } catch (const std::exception &) {
        return {};
    }
}
