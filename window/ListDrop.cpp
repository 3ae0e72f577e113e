#include "engine/support/PathOnDisk.h"
#include "engine/walk/MessagePath.h"
#include "window/DroppedUrls.h"
#include "window/MainWindow.h"
#include "window/reports/PathListBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

bool MainWindow::takesDrop(const QMimeData *data) const
{
    return !commandRunning() && !closing_ && data && data->hasUrls();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (takesDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    if (!takesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The file manager waits until the drop returns; the walk and its boxes
    // come after that.
    const QList<QUrl> urls = event->mimeData()->urls();
    QTimer::singleShot(0, this, [this, urls] { addDroppedUrls(urls); });
}

void MainWindow::addDroppedUrls(const QList<QUrl> &urls)
{
    if (commandRunning())
        return;
    runCommand([&] {
        const DroppedUrls dropped = sortDroppedUrls(urls);
        QStringList others;
        for (const QString &path : dropped.localPaths) {
            if (kindOfPath(path) == PathKind::Folder)
                addFolderContents(path);
            else if (isMessagePath(path))
                addMessagePath(path);
            else
                others.append(path);
        }
        setConvertAvailable(!messageListIsEmpty());
        if (!others.isEmpty())
            showPathListBox(*this,
                            QStringLiteral("Not added: ")
                                + countOf(others.size(), QStringLiteral("file that is not an .eml message"),
                                          QStringLiteral("files that are not .eml messages")),
                            others);
        if (!dropped.nulNames.isEmpty())
            showPathListBox(*this,
                            QStringLiteral("Not added: ")
                                + countOf(dropped.nulNames.size(), QStringLiteral("name that holds a NUL byte"),
                                          QStringLiteral("names that hold a NUL byte"))
                                + QStringLiteral(", which no file name can."),
                            dropped.nulNames);
        if (!dropped.remote.isEmpty())
            showPathListBox(*this,
                            QStringLiteral("Not added: ")
                                + countOf(dropped.remote.size(), QStringLiteral("item that is not on this computer"),
                                          QStringLiteral("items that are not on this computer"))
                                + QStringLiteral(". Only local files and folders can be dropped onto the list."),
                            dropped.remote);
    });
}
