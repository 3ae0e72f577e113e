#include "window/MainWindow.h"

#include "window/dialogs/Dialogs.h"

void MainWindow::clearList()
{
    if (MessageListIsEmpty())
        return;
    const int answer = MsgBox(QStringLiteral("Do you want to clear all the files in the list\r\n Proceed?"),
                              MsgBoxStyle::YesNoQuestion, ApplicationTitle());
    if (answer == MsgBoxResult::Yes)
        ResetMessageList();
}
