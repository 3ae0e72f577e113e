#include "window/frmStep1.h"

#include "window/dialogs/Dialogs.h"

void frmStep1::cmdClear1_Click()
{
    if (MessageListIsEmpty())
        return;
    const int answer = MsgBox(QStringLiteral("Do you want to clear all the files in the list\r\n Proceed?"),
                              MsgBoxStyle::YesNoQuestion, ApplicationTitle());
    if (answer == MsgBoxResult::Yes)
        ResetMessageList();
}
