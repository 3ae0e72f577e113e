#include "engine/support/PathOnDisk.h"
#include "window/MainWindow.h"
#include "window/reports/PathListBox.h"

void MainWindow::addStartupPaths(const QStringList &paths)
{
    runCommand([&] {
        QStringList missing;
        for (const QString &path : paths) {
            switch (kindOfPath(path)) {
            case PathKind::Folder:
                addFolderContents(path);
                break;
            case PathKind::File:
                // As the add-files command takes what its dialog gives: whatever the name.
                addMessagePath(path);
                break;
            case PathKind::Missing:
                missing.append(path);
                break;
            }
        }
        // A folder without messages turns the button off; the list may still hold others.
        setConvertAvailable(!messageListIsEmpty());
        if (!missing.isEmpty())
            showPathListBox(*this,
                            QStringLiteral("Not added: ")
                                + countOf(missing.size(), QStringLiteral("path that does not exist"),
                                          QStringLiteral("paths that do not exist")),
                            missing);
    });
}
