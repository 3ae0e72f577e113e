#pragma once

#include "window/widgets/GridModel.h"

#include <QTableView>

// A grid with the members the list code uses: rows, cols, fixedRows, the
// current cell (row, col) that every read or write of text goes through,
// colWidth in twips and clear. The view shows the current cell selected.
class FlexGrid final : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent);

    int rows() const { return model_->rows(); }
    void setRows(int rows);
    int cols() const { return model_->cols(); }
    void setCols(int cols);
    int fixedRows() const { return fixedRows_; }
    void setFixedRows(int fixedRows);

    int row() const { return row_; }
    void setRow(int row);
    int col() const { return col_; }
    void setCol(int col);

    QString text() const { return model_->cell(row_, col_); }
    void setText(const QString &text) { model_->setCell(row_, col_, text); }

    int colWidth(int col) const;          // twips
    void setColWidth(int col, int twips);
    void clear() { model_->clearText(); }

    GridModel *gridModel() const { return model_; }

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void showCurrentCellLater();
    void showCurrentCell();

    GridModel *model_;
    int fixedRows_ = 0;
    int row_ = 0;
    int col_ = 0;
    bool showPending_ = false;
    bool showingCell_ = false;
};
