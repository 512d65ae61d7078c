#include "records/recordgrid.h"

#include "kit/style.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

namespace {
const QColor kGridLine(160, 160, 160);
// Pale enough that the black bold type keeps its contrast, yet plain beside the white rows.
const QColor kMarked(255, 221, 170);

// Cells are only read: no cell is drawn as current or chosen, even while arrow keys scroll. A cell
// cut from a damaged line ends in "…" where it leaves the cell, so that the damage shows. A marked
// row is drawn on the mark's colour.
class PlainCells : public QStyledItemDelegate {
public:
    PlainCells(const RecordTable *table, QObject *parent) : QStyledItemDelegate(parent), table_(table) {}
protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        if (rowsplit::isCut(option->text))
            option->textElideMode = Qt::ElideRight;
        if (table_->isMarked(index.row() + RecordTable::fixedRows()))
            option->backgroundBrush = kMarked;
    }
private:
    const RecordTable *table_;
};
} // namespace

RecordGrid::RecordGrid(QWidget *parent, const QString &name, const Look &look)
    : QTableView(parent), table_(new RecordTable(look.rows, this))
{
    setObjectName(name);
    setModel(table_);
    setItemDelegate(new PlainCells(table_, this));
    setGeometry(look.geometry);
    setFont(style::font(look.fontPx, true));
    setFrameShape(look.border ? QFrame::Box : QFrame::NoFrame);
    if (look.border)
        setLineWidth(1);

    style::setColour(this, QPalette::Base, Qt::white);
    style::setColour(this, QPalette::Text, Qt::black);
    style::setColour(this, QPalette::Window, Qt::white);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: %1; }").arg(kGridLine.name()));

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setTextElideMode(Qt::ElideNone); // cut off at the cell's edge, as a grid does
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // Every row the same height, set once: the view never measures a row's contents, which keeps
    // a history of many thousand drills quick to show.
    QHeaderView *rowsHeader = verticalHeader();
    rowsHeader->hide();
    rowsHeader->setMinimumSectionSize(1);
    rowsHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowsHeader->setDefaultSectionSize(look.rowHeight);

    // The fixed header row, white like the cells, with the same lines.
    QHeaderView *head = horizontalHeader();
    head->setFont(style::font(look.fontPx, true));
    head->setMinimumSectionSize(1);
    head->setSectionResizeMode(QHeaderView::Fixed);
    head->setSectionsClickable(false);
    head->setHighlightSections(false);
    head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    head->setFixedHeight(look.rowHeight);
    head->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: white; color: black; border: none;"
                                       " border-right: 1px solid %1; border-bottom: 1px solid %1; padding-left: 2px; }")
                            .arg(kGridLine.name()));
    for (int c = 0; c < rowsplit::kColumns; ++c)
        setColumnWidth(c, look.columnWidths[size_t(c)]);
}

QColor RecordGrid::markColour() { return kMarked; }

void RecordGrid::markRows(const QList<bool> &rows, const QString &note)
{
    table_->markRows(rows, note);
    viewport()->update();
}

void RecordGrid::load(const QStringList &lines)
{
    table_->load(lines);
    scrollToTop();
}
