#include "app/frmStep1.h"

#include "modules/Dialogs.h"
#include "modules/registry.h"

void frmStep1::CmdHelp_Click()
{
    const QString address = QString::fromLatin1(ProductPage);
    ShellOpen(dialogs_, address);
}

void frmStep1::cmdEnd_Click()
{
    const QString title = ApplicationTitle();
    if (MsgBox(QStringLiteral("Are you sure you want to exit now?"), MsgBoxStyle::YesNoQuestion, title)
        == MsgBoxResult::Yes)
        close();
}
