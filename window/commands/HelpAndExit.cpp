#include "window/MainWindow.h"

#include "window/commands/Manual.h"
#include "window/dialogs/DesktopShell.h"
#include "window/dialogs/Dialogs.h"

#include <QUrl>

void MainWindow::showHelp()
{
    const QString manual = manualPath();
    if (manual.isEmpty()) {
        showBox(QStringLiteral("The manual was not found: it is installed as manual.html in the program's "
                               "documents (/usr/share/doc/quorvel/ for the Debian package)."),
                MsgBoxStyle::Exclamation, applicationTitle());
        return;
    }
    shellOpen(dialogs_, QUrl::fromLocalFile(manual).toString());
}

void MainWindow::exitProgram()
{
    const QString title = applicationTitle();
    if (showBox(QStringLiteral("Are you sure you want to exit now?"), MsgBoxStyle::YesNoQuestion, title)
        == MsgBoxResult::Yes)
        close();
}
