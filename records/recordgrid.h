#pragma once
// The records table of both records screens (StringGrid1): the header row fixed on top, the drills
// under it, black bold type on white, grid lines, read-only, scroll bars when the rows do not fit.
#include "records/recordtable.h"

#include <QRect>
#include <QTableView>
#include <array>

class RecordGrid : public QTableView {
    Q_OBJECT
public:
    struct Look {
        QRect geometry;
        std::array<int, rowsplit::kColumns> columnWidths;
        int rowHeight;
        int fontPx;
        bool border;
        int rows; // before the first loading
    };
    RecordGrid(QWidget *parent, const QString &name, const Look &look);

    // The table's rows, header row included; the text of one cell; the fixed (header) rows.
    int RowCount() const { return table_->rows(); }
    QString Cells(int column, int row) const { return table_->cell(column, row); }
    int FixedRows() const { return RecordTable::fixedRows(); }

    void setRow(int row, const QString &line) { table_->setRow(row, line); }
    void clearCells() { table_->clearCells(); }
    // Loads a history's lines and shows it from its top.
    void load(const QStringList &lines);

    // Rows set apart on a pale background with `note` as their tooltip (entry r for row r, as
    // Cells numbers them); their texts stay as they are. Gone when the table is emptied or loaded.
    void markRows(const QList<bool> &rows, const QString &note);
    int markedRows() const { return table_->markedRows(); }
    // The background of a marked row, for a legend beside the table.
    static QColor markColour();

private:
    RecordTable *table_;
};
