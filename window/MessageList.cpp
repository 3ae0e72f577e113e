#include "window/MainWindow.h"

#include "window/widgets/FlexGrid.h"
#include "window/MessageListBatch.h"

#include <QLabel>

namespace {
constexpr int ListColumnWidthTwips = 15000;

QString CountCaption(int rows)
{
    return QString::number(rows) + QStringLiteral(" files");
}
}

void MainWindow::ResetMessageList()
{
    grdFiles1->SetRows(1);
    grdFiles1->Clear();
    lblCount1->setText(QStringLiteral("0 files"));
}

void MainWindow::AddMessagePath(const QString &path)
{
    // A path built by concatenation carries spare room; a million rows of it
    // would double the list's memory.
    QString copy = path;
    if (copy.capacity() > copy.size())
        copy.squeeze();
    bool shaped = false;
    if (grdFiles1->Rows() == 1) {
        grdFiles1->SetRow(0);
        grdFiles1->SetCol(0);
        if (grdFiles1->Text().isEmpty()) {
            // The empty list: its first path goes into row 0, no row is added.
            grdFiles1->SetRows(1);
            grdFiles1->SetCols(1);
            grdFiles1->SetFixedRows(0);
            yielder().Yield();
            grdFiles1->SetRow(0);
            grdFiles1->SetColWidth(0, ListColumnWidthTwips);
            grdFiles1->SetCol(0);
            shaped = true;
        }
    }
    if (!shaped)
        grdFiles1->SetRows(grdFiles1->Rows() + 1);
    grdFiles1->SetRow(grdFiles1->Rows() - 1);
    grdFiles1->SetCol(0);
    grdFiles1->SetText(copy);
    const bool batched = grdFiles1->Model()->HoldingNewRows();
    if (batched && yielder().Due())
        ShowMessageCount(*this);
    yielder().Yield();
    if (!batched)
        lblCount1->setText(CountCaption(grdFiles1->Rows()));
}

bool MainWindow::MessageListIsEmpty()
{
    grdFiles1->SetRow(0);
    grdFiles1->SetCol(0);
    return grdFiles1->Text().isEmpty();
}

int MainWindow::MessageRowCount() const
{
    return grdFiles1->Rows();
}

QString MainWindow::MessagePathAt(int row)
{
    grdFiles1->SetRow(row);
    grdFiles1->SetCol(0);
    return grdFiles1->Text();
}

MessageListBatch::MessageListBatch(MainWindow &window) : window_(window)
{
    window_.grdFiles1->Model()->HoldNewRows();
}

MessageListBatch::~MessageListBatch()
{
    window_.grdFiles1->Model()->ReleaseNewRows();
    ShowMessageCount(window_);
}

void ShowMessageCount(MainWindow &window)
{
    window.grdFiles1->Model()->ShowNewRows();
    window.lblCount1->setText(CountCaption(window.grdFiles1->Rows()));
}
