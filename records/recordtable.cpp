#include "records/recordtable.h"

#include <algorithm>

namespace {
// Qt 6.4's views read the alignment role as an int.
const QVariant kAlignment(int(Qt::AlignLeft | Qt::AlignVCenter));
} // namespace

RecordTable::RecordTable(int rows, QObject *parent) : QAbstractTableModel(parent), rows_(std::max(rows, kMinRows)) {}

const rowsplit::Row &RecordTable::cellsOf(int row) const
{
    if (const auto it = settled_.constFind(row); it != settled_.cend())
        return *it;
    if (row != cachedRow_) {
        cached_ = row < lines_.size() ? rowsplit::splitRow(lines_.at(row)) : rowsplit::Row();
        cachedRow_ = row;
    }
    return cached_;
}

QString RecordTable::cell(int column, int row) const
{
    if (column < 0 || column >= rowsplit::kColumns || row < 0 || row >= rows_)
        return QString();
    return cellsOf(row)[column];
}

void RecordTable::setRow(int row, const QString &line)
{
    if (row < 0 || row >= rows_)
        return;
    if (lines_.size() <= row)
        lines_.resize(row + 1);
    lines_[row] = line;
    settled_.remove(row);
    settleIfLong(row);
    cachedRow_ = -1;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, 0, rowsplit::kColumns - 1);
    else
        emit dataChanged(index(row - 1, 0), index(row - 1, rowsplit::kColumns - 1));
}

void RecordTable::settleIfLong(int row)
{
    if (lines_.at(row).size() <= kLongLine)
        return;
    settled_.insert(row, rowsplit::splitRow(lines_.at(row)));
    lines_[row] = QString();
}

void RecordTable::clearCells()
{
    beginResetModel();
    lines_.clear();
    settled_.clear();
    cachedRow_ = -1;
    dropMarks();
    endResetModel();
}

void RecordTable::dropMarks()
{
    marked_.clear();
    markedCount_ = 0;
}

void RecordTable::markRows(const QList<bool> &rows, const QString &note)
{
    marked_ = rows;
    if (!marked_.isEmpty())
        marked_[0] = false;
    markedCount_ = int(marked_.count(true));
    markNote_ = note;
    if (rows_ > fixedRows())
        emit dataChanged(index(0, 0), index(rows_ - 2, rowsplit::kColumns - 1), {Qt::ToolTipRole});
}

void RecordTable::load(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    beginResetModel();
    lines_ = lines; // shared, not copied (unless a line is long)
    settled_.clear();
    for (int row = 0; row < lines_.size(); ++row)
        settleIfLong(row);
    rows_ = std::max(int(lines.size()) + 1, kMinRows);
    cachedRow_ = -1;
    dropMarks();
    endResetModel();
}

int RecordTable::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_ - 1; }

int RecordTable::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rowsplit::kColumns; }

QVariant RecordTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return cell(index.column(), index.row() + 1);
    if (role == Qt::TextAlignmentRole)
        return kAlignment;
    if (role == Qt::ToolTipRole && isMarked(index.row() + 1))
        return markNote_;
    return QVariant();
}

QVariant RecordTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole)
        return cell(section, 0);
    if (role == Qt::TextAlignmentRole)
        return kAlignment;
    return QVariant();
}

Qt::ItemFlags RecordTable::flags(const QModelIndex &index) const
{
    // Read-only, and nothing to select.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}
