#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <vector>

// The grid's cells, row after row in one vector: the grid is the list, with no
// other array behind it, and a million rows stay cheap.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    void setRows(int rows);
    void setCols(int cols);
    const QString &cell(int row, int col) const;
    void setCell(int row, int col, const QString &text);
    // Erases every cell's text; the shape stays.
    void clearText();

    // While held (the holds nest), rows added at the end of a one-column grid
    // are kept without telling the views: one announcement for thousands of
    // rows costs what one costs for a single row. showNewRows tells them;
    // so does every other change, and releasing the last hold.
    void holdNewRows() { ++holds_; }
    void releaseNewRows();
    bool holdingNewRows() const { return holds_ > 0; }
    void showNewRows();

    QColor cellBackground{0xFF, 0xFF, 0xBF};

private:
    void reshape(int rows, int cols);

    int rows_ = 1;
    int shownRows_ = 1;  // the rows the views know of
    int cols_ = 1;
    int holds_ = 0;
    std::vector<QString> cells_;
};
