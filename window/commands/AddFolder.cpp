#include "window/MainWindow.h"

#include "engine/walk/FolderMessages.h"
#include "window/dialogs/DesktopShell.h"
#include "window/dialogs/Dialogs.h"
#include "window/MessageListBatch.h"
#include "window/reports/AddFolderReport.h"
#include "window/widgets/WaitCursor.h"

#include <QPushButton>

void MainWindow::addFolder()
{
    QString folder = browseForFolder(dialogs(), this, QStringLiteral("Choose Source Folder..."));
    if (folder.isEmpty())
        return;
    addFolderContents(folder);
}

void MainWindow::addFolderContents(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');

    int added = 0;
    std::shared_ptr<Collection<SkippedFolder>> skipped;
    {
        WaitCursor hourglass;
        FolderMessages found = messagesBelow(folder, yielder());
        skipped = found.skippedFolders;
        yielder().yield();
        try {
            MessageListBatch batch(*this);
            for (const QString &entry : std::as_const(found.messages)) {
                yielder().yield();
                addMessagePath(entry);
                yielder().yield();
                ++added;
            }
        } catch (...) {
            // The rows appended so far stay listed, and can be converted.
            if (added > 0)
                setConvertAvailable(true);
            throw;
        }
    }
    setConvertAvailable(added > 0);
    yielder().yieldNow();
    showAddFolderReport(added, *skipped);
}
