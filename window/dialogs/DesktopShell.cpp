#include "window/dialogs/DesktopShell.h"

#include "window/dialogs/Dialogs.h"

void shellOpen(Dialogs &dialogs, const QString &target)
{
    if (target == QString())
        return;
    dialogs.openUrl(target);
}

QString browseForFolder(Dialogs &dialogs, QWidget *owner, const QString &prompt)
{
    try {
        return dialogs.pickFolder(owner, prompt);
    } catch (const std::exception &) {
        return {};
    }
}
