#pragma once

#include "window/widgets/GridModel.h"

#include <QTableView>

// A grid with the members the list code uses: Rows, Cols, FixedRows, the
// current cell (Row, Col) that every read or write of Text goes through,
// ColWidth in twips and Clear. The view shows the current cell selected.
class FlexGrid final : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent);

    int Rows() const { return model_->Rows(); }
    void setRows(int rows);
    int Cols() const { return model_->Cols(); }
    void setCols(int cols);
    int FixedRows() const { return fixedRows_; }
    void setFixedRows(int fixedRows);

    int Row() const { return row_; }
    void SetRow(int row);
    int Col() const { return col_; }
    void setCol(int col);

    QString Text() const { return model_->Cell(row_, col_); }
    void SetText(const QString &text) { model_->SetCell(row_, col_, text); }

    int colWidth(int col) const;          // twips
    void setColWidth(int col, int twips);
    void Clear() { model_->clearText(); }

    GridModel *Model() const { return model_; }

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
