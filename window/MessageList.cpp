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
    grdFiles1->setRows(1);
    grdFiles1->clear();
    lblCount1->setText(QStringLiteral("0 files"));
}

void MainWindow::addMessagePath(const QString &path)
{
    // A path built by concatenation carries spare room; a million rows of it
    // would double the list's memory.
    QString copy = path;
    if (copy.capacity() > copy.size())
        copy.squeeze();
    bool shaped = false;
    if (grdFiles1->rows() == 1) {
        grdFiles1->setRow(0);
        grdFiles1->setCol(0);
        if (grdFiles1->text().isEmpty()) {
            // The empty list: its first path goes into row 0, no row is added.
            grdFiles1->setRows(1);
            grdFiles1->setCols(1);
            grdFiles1->setFixedRows(0);
            yielder().yield();
            grdFiles1->setRow(0);
            grdFiles1->setColWidth(0, ListColumnWidthTwips);
            grdFiles1->setCol(0);
            shaped = true;
        }
    }
    if (!shaped)
        grdFiles1->setRows(grdFiles1->rows() + 1);
    grdFiles1->setRow(grdFiles1->rows() - 1);
    grdFiles1->setCol(0);
    grdFiles1->setText(copy);
    const bool batched = grdFiles1->gridModel()->holdingNewRows();
    if (batched && yielder().due())
        showMessageCount(*this);
    yielder().yield();
    if (!batched)
        lblCount1->setText(countCaption(grdFiles1->rows()));
}

bool MainWindow::messageListIsEmpty()
{
    grdFiles1->setRow(0);
    grdFiles1->setCol(0);
    return grdFiles1->text().isEmpty();
}

int MainWindow::messageRowCount() const
{
    return grdFiles1->rows();
}

QString MainWindow::messagePathAt(int row)
{
    grdFiles1->setRow(row);
    grdFiles1->setCol(0);
    return grdFiles1->text();
}

MessageListBatch::MessageListBatch(MainWindow &window) : window_(window)
{
    window_.grdFiles1->gridModel()->holdNewRows();
}

MessageListBatch::~MessageListBatch()
{
    window_.grdFiles1->gridModel()->releaseNewRows();
    showMessageCount(window_);
}

void showMessageCount(MainWindow &window)
{
    window.grdFiles1->gridModel()->showNewRows();
    window.lblCount1->setText(countCaption(window.grdFiles1->rows()));
}
