#include "app/frmStep1.h"

#include "app/WaitCursor.h"
#include "folders/AddFolderReport.h"
#include "folders/MessagePath.h"
#include "folders/pathLogger.h"
#include "list/MessageListBatch.h"
#include "modules/Dialogs.h"
#include "modules/registry.h"

#include <QPushButton>

void frmStep1::CmdAddFolder_Click()
{
    QString folder = BrowseForFolder(dialogs(), this, QStringLiteral("Choose Source Folder..."));
    if (folder.isEmpty())
        return;
    AddFolder(folder);
}

void frmStep1::AddFolder(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');

    int added = 0;
    std::shared_ptr<Collection<SkippedFolder>> skipped;
    {
        WaitCursor hourglass;
        std::shared_ptr<Collection<QString>> found;
        {
            pathLogger walker(yielder());
            yielder().Yield();
            walker.PathLogInit();
            walker.setFullFileNamesOnly(true);
            walker.LogPath(folder);
            found = walker.fullFileNames();
            skipped = walker.skippedFolders();
            walker.Terminate();
        }
        yielder().Yield();
        try {
            MessageListBatch batch(*this);
            for (const QString &entry : *found) {
                yielder().Yield();
                if (!IsMessagePath(entry))
                    continue;
                yielder().Yield();
                AddMessagePath(entry);
                yielder().Yield();
                ++added;
            }
        } catch (...) {
            // The rows appended so far stay listed, and can be converted.
            if (added > 0)
                SetConvertAvailable(true);
            throw;
        }
    }
    SetConvertAvailable(added > 0);
    yielder().YieldNow();
    ShowAddFolderReport(added, *skipped);
}
