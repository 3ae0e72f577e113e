#include "window/widgets/GridModel.h"

#include "window/RunTimeError.h"

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent), cells_(1) {}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : shownRows_;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cell(index.row(), index.column());
    case Qt::BackgroundRole:
        return cellBackground;
    default:
        return {};
    }
}

const QString &GridModel::cell(int row, int col) const
{
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        throw RunTimeError(381, QStringLiteral("Invalid Row or Column value"));
    return cells_[size_t(row) * size_t(cols_) + size_t(col)];
}

void GridModel::setCell(int row, int col, const QString &text)
{
    cell(row, col);
    cells_[size_t(row) * size_t(cols_) + size_t(col)] = text;
    if (row >= shownRows_)
        return;
    const QModelIndex changed = index(row, col);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
}

void GridModel::setRows(int rows)
{
    if (rows < 0)
        throw RunTimeError(30009, QStringLiteral("Invalid Row value"));
    if (rows == rows_)
        return;
    if (cols_ == 1 && rows > rows_ && holds_ > 0) {
        cells_.resize(size_t(rows));
        rows_ = rows;
        return;
    }
    showNewRows();
    if (cols_ == 1) {
        // The common case, one column: grow or shrink in place.
        if (rows > rows_) {
            beginInsertRows({}, rows_, rows - 1);
            cells_.resize(size_t(rows));
            rows_ = shownRows_ = rows;
            endInsertRows();
        } else {
            beginRemoveRows({}, rows, rows_ - 1);
            cells_.resize(size_t(rows));
            rows_ = shownRows_ = rows;
            endRemoveRows();
        }
        return;
    }
    reshape(rows, cols_);
}

void GridModel::setCols(int cols)
{
    if (cols < 0)
        throw RunTimeError(30010, QStringLiteral("Invalid Col value"));
    if (cols != cols_)
        reshape(rows_, cols);
}

void GridModel::reshape(int rows, int cols)
{
    showNewRows();
    beginResetModel();
    std::vector<QString> cells(size_t(rows) * size_t(cols));
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c)
            cells[size_t(r) * size_t(cols) + size_t(c)] = std::move(cells_[size_t(r) * size_t(cols_) + size_t(c)]);
    cells_ = std::move(cells);
    rows_ = shownRows_ = rows;
    cols_ = cols;
    endResetModel();
}

void GridModel::clearText()
{
    showNewRows();
    for (QString &cell : cells_)
        cell = QString();
    if (rows_ > 0 && cols_ > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole});
}

void GridModel::showNewRows()
{
    if (shownRows_ >= rows_)
        return;
    beginInsertRows({}, shownRows_, rows_ - 1);
    shownRows_ = rows_;
    endInsertRows();
}

void GridModel::releaseNewRows()
{
    if (holds_ > 0 && --holds_ == 0)
        showNewRows();
}
