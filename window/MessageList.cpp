#include "window/MainWindow.h"

#include "window/MessageListBatch.h"
#include "window/widgets/FlexGrid.h"

#include <QLabel>

namespace {
constexpr int ListColumnWidthTwips = 15000;

QString countCaption(int rows)
{
    return QString::number(rows) + QStringLiteral(" files");
}
}

void MainWindow::resetMessageList()
{
    messageGrid->setRows(1);
    messageGrid->clear();
    fileCountLabel->setText(QStringLiteral("0 files"));
}

void MainWindow::addMessagePath(const QString &path)
{
    // A path built by concatenation carries spare room; a million rows of it
    // would double the list's memory.
    QString copy = path;
    if (copy.capacity() > copy.size())
        copy.squeeze();
    bool shaped = false;
    if (messageGrid->rows() == 1) {
        messageGrid->setRow(0);
        messageGrid->setCol(0);
        if (messageGrid->text().isEmpty()) {
            // The empty list: its first path goes into row 0, no row is added.
            messageGrid->setRows(1);
            messageGrid->setCols(1);
            messageGrid->setFixedRows(0);
            yielder().yield();
            messageGrid->setRow(0);
            messageGrid->setColWidth(0, ListColumnWidthTwips);
            messageGrid->setCol(0);
            shaped = true;
        }
    }
    if (!shaped)
        messageGrid->setRows(messageGrid->rows() + 1);
    messageGrid->setRow(messageGrid->rows() - 1);
    messageGrid->setCol(0);
    messageGrid->setText(copy);
    const bool batched = messageGrid->gridModel()->holdingNewRows();
    if (batched && yielder().due())
        showMessageCount(*this);
    yielder().yield();
    if (!batched)
        fileCountLabel->setText(countCaption(messageGrid->rows()));
}

bool MainWindow::messageListIsEmpty()
{
    messageGrid->setRow(0);
    messageGrid->setCol(0);
    return messageGrid->text().isEmpty();
}

int MainWindow::messageRowCount() const
{
    return messageGrid->rows();
}

QString MainWindow::messagePathAt(int row)
{
    messageGrid->setRow(row);
    messageGrid->setCol(0);
    return messageGrid->text();
}

MessageListBatch::MessageListBatch(MainWindow &window) : window_(window)
{
    window_.messageGrid->gridModel()->holdNewRows();
}

MessageListBatch::~MessageListBatch()
{
    window_.messageGrid->gridModel()->releaseNewRows();
    showMessageCount(window_);
}

void showMessageCount(MainWindow &window)
{
    window.messageGrid->gridModel()->showNewRows();
    window.fileCountLabel->setText(countCaption(window.messageGrid->rows()));
}
