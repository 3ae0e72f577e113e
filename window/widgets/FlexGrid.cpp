#include "window/widgets/FlexGrid.h"

#include "window/RunTimeError.h"
#include "window/widgets/Twips.h"

#include <QHeaderView>
#include <QTimer>

FlexGrid::FlexGrid(QWidget *parent) : QTableView(parent), model_(new GridModel(this))
{
    setModel(model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);  // Tab moves on to the next control
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void FlexGrid::setRows(int rows)
{
    model_->setRows(rows);
    row_ = std::min(row_, std::max(rows - 1, 0));
}

void FlexGrid::setCols(int cols)
{
    model_->setCols(cols);
    col_ = std::min(col_, std::max(cols - 1, 0));
}

void FlexGrid::setFixedRows(int fixedRows)
{
    if (fixedRows < 0 || (fixedRows > 0 && fixedRows >= rows()))
        throw RunTimeError(30009, QStringLiteral("Invalid Row value"));
    fixedRows_ = fixedRows;
}

void FlexGrid::setRow(int row)
{
    if (row < 0 || row >= rows())
        throw RunTimeError(30009, QStringLiteral("Invalid Row value"));
    row_ = row;
    showCurrentCellLater();
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= cols())
        throw RunTimeError(30010, QStringLiteral("Invalid Col value"));
    col_ = col;
    showCurrentCellLater();
}

int FlexGrid::colWidth(int col) const
{
    return columnWidth(col) * TwipsPerPixel;
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= cols())
        throw RunTimeError(30010, QStringLiteral("Invalid Col value"));
    setColumnWidth(col, twipsToPixels(twips));
}

// Moving the view's selection on every write would cost more than the write:
// the view catches up once the window gets to process events.
void FlexGrid::showCurrentCellLater()
{
    if (showPending_)
        return;
    showPending_ = true;
    QTimer::singleShot(0, this, &FlexGrid::showCurrentCell);
}

void FlexGrid::showCurrentCell()
{
    showPending_ = false;
    if (row_ >= rows() || col_ >= cols())
        return;
    model_->showNewRows();
    showingCell_ = true;
    setCurrentIndex(model_->index(row_, col_));
    showingCell_ = false;
}

void FlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (!showingCell_ && current.isValid()) {
        row_ = current.row();
        col_ = current.column();
    }
}
