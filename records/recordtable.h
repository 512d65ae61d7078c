#pragma once
// The cells of a records table, numbered as the screens and the history file number them: row 0 is
// the fixed header row, rows 1.. the drills. Each row is kept as the line it was set from and cut
// into cells by the row-splitting rule when it is shown, so that loading even a very long history
// costs little more than reading the file. A line too long for any drill (damage) is cut into its
// cells once, when it is set, and only its cut cells are kept: showing it, or a click near it,
// never goes through megabytes again.
//
// As a Qt model it offers row 0 as the horizontal header and rows 1.. as its rows, so a view keeps
// the header row in place while the drills scroll under it.
#include "records/rowsplit.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

class RecordTable : public QAbstractTableModel {
    Q_OBJECT
public:
    // A table never has fewer rows than the header row and one row under it.
    static constexpr int kMinRows = 2;

    explicit RecordTable(int rows, QObject *parent = nullptr);

    // The rows, header row included.
    int rows() const { return rows_; }
    // One fixed row: the header.
    static constexpr int fixedRows() { return 1; }
    QString cell(int column, int row) const;

    // Sets the five cells of `row` from a line by the row-splitting rule.
    void setRow(int row, const QString &line);
    // Empties every cell; the number of rows stays.
    void clearCells();
    // Row k-1 from line k of a history, in file order; the table then has one row more than there
    // are lines, so the last row is empty. No lines change nothing; lines loaded drop the marks.
    void load(const QStringList &lines);

    // Sets rows apart without touching their cells: entry r true marks row r (the header row never
    // is), with `note` as its tooltip; the view gives them their look. Emptying or loading the
    // table drops them.
    void markRows(const QList<bool> &rows, const QString &note);
    bool isMarked(int row) const { return row >= fixedRows() && row < marked_.size() && marked_[row]; }
    int markedRows() const { return markedCount_; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Longer lines are split when they are set (five cells at most, each cut to kMaxCell).
    static constexpr qsizetype kLongLine = rowsplit::kColumns * (rowsplit::kMaxCell + 1);

private:
    const rowsplit::Row &cellsOf(int row) const;
    void settleIfLong(int row);
    void dropMarks();

    int rows_;
    QStringList lines_; // the line of each row from row 0; rows past its end are empty
    QHash<int, rowsplit::Row> settled_; // the cells of the long lines, whose lines_ entry is dropped
    mutable int cachedRow_ = -1;
    mutable rowsplit::Row cached_;
    QList<bool> marked_; // by row, as the cells
    int markedCount_ = 0;
    QString markNote_;
};
