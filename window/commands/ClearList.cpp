#include "window/MainWindow.h"

#include "window/dialogs/Dialogs.h"

void MainWindow::clearList()
{
    if (messageListIsEmpty())
        return;
    const int answer = showBox(QStringLiteral("Do you want to clear all the files in the list\r\n Proceed?"),
                               MsgBoxStyle::YesNoQuestion, applicationTitle());
    if (answer == MsgBoxResult::Yes)
        resetMessageList();
}
