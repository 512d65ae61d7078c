#include "records/classoverview.h"

#include "base/classroom.h"
#include "base/errors.h"
#include "records/csvexport.h"
#include "records/pacemarks.h"
#include "records/progresschart.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/saveflow.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "users/groups.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

#include <algorithm>

// The children's summaries as a table model; sorting reorders the summaries themselves, so that a
// sort of forty rows is one stable sort and one repaint.
class OverviewTable : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void reset(std::vector<overview::Summary> rows)
    {
        beginResetModel();
        rows_ = std::move(rows);
        order_.resize(rows_.size());
        for (size_t i = 0; i < order_.size(); ++i)
            order_[i] = i;
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(order_.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : overview::ColumnCount; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const overview::Summary &s = rows_[order_[size_t(index.row())]];
        const auto column = overview::Column(index.column());
        if (role == Qt::DisplayRole)
            return overview::cellText(s, column);
        if (role == Qt::ToolTipRole && column == overview::Marks) {
            // The whole of a long mark, and what ずれあり counts.
            QString tip = overview::marksText(s);
            if (s.late > 0)
                tip += QLatin1Char('\n') + overview::lateLegend() + QStringLiteral("の数");
            return tip;
        }
        if (role == Qt::ForegroundRole && column == overview::Marks && !overview::marksText(s).isEmpty())
            return QColor(style::kRed);
        if (role == Qt::TextAlignmentRole && column != overview::Name && column != overview::Marks)
            return int(Qt::AlignCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < overview::ColumnCount)
            return overview::columnTitle(overview::Column(section));
        return {};
    }

    void sort(int column, Qt::SortOrder order) override
    {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        // Column -1 (no sort chosen) is the listing's order.
        std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
            if (column < 0 || column >= overview::ColumnCount)
                return a < b;
            const auto c = overview::Column(column);
            return order == Qt::AscendingOrder ? overview::before(rows_[a], rows_[b], c)
                                               : overview::before(rows_[b], rows_[a], c);
        });
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    std::vector<overview::Summary> rows_; // in the listing's order
    std::vector<size_t> order_;           // the rows as shown
};

ClassOverview::ClassOverview()
    : Screen({.title = QStringLiteral("クラスのようす"), .kind = Kind::FullScreen, .fontPx = 24})
{
}

void ClassOverview::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("クラスのようす"), {16, 8}, 35, Qt::white);
    kit::buttons(this, {
        {{"Label2", &Label2}, {"Image1", &Image1}, QStringLiteral("もどる"), {711, 20}, {704, 0}, {81, 65}, 24, Qt::AllButtons,
         [this] { Label2Click(); }},
    });

    table_ = new OverviewTable(this);
    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setModel(table_);
    Grid->setFont(style::font(16, true));
    Grid->horizontalHeader()->setFont(style::font(15, true));
    style::setColour(Grid, QPalette::Base, Qt::white);
    style::setColour(Grid, QPalette::Text, Qt::black);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setWordWrap(false);
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setDefaultSectionSize(30);
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    Grid->horizontalHeader()->setHighlightSections(false);
    const int widths[overview::ColumnCount] = {92, 90, 172, 104, 80, 110, 120};
    for (int c = 0; c < overview::ColumnCount; ++c)
        Grid->setColumnWidth(c, widths[c]);
    Grid->horizontalHeader()->setStretchLastSection(true);
    // No column is sorted until the teacher clicks one: the children stay in the listing's order.
    Grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    Grid->setSortingEnabled(true);
    connect(Grid, &QTableView::clicked, this, pz::guarded([this](const QModelIndex &index) { GridClick(index); }));

    Chart = new ProgressChart(this);
    Chart->hide();
}

void ClassOverview::FormActivate()
{
    Chart->hide();
    Chart->setCourse({}, {});
    const QSize area = layoutSize();
    Grid->setGeometry(QRect(layoutOrigin() + QPoint(8, 72), QSize(area.width() - 16, area.height() - 80)));
    Grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    std::vector<overview::Summary> rows = pacemarks::classroom(today());
    const QString kumi = classoverview::group();
    if (!kumi.isEmpty()) {
        const QHash<QString, QString> all = groups::read();
        std::erase_if(rows, [&](const overview::Summary &s) { return !groups::shown(all, s.name, kumi); });
    }
    Label1->setText(kumi.isEmpty() ? QStringLiteral("クラスのようす") : QStringLiteral("クラスのようす（%1）").arg(kumi));
    Label1->adjustSize();
    table_->reset(std::move(rows));
    Grid->setCurrentIndex(QModelIndex()); // no row stands out until the teacher picks one
}

void ClassOverview::FormCloseQuery() { table_->reset({}); }

void ClassOverview::Label2Click() { Close(); }

void ClassOverview::GridClick(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QString name = table_->index(index.row(), overview::Name).data().toString();
    // Gone or unreadable since the table was filled: the chart shows no drills, as the row does.
    overview::Course course = pacemarks::courseOf(name);
    // The table keeps the upper part, still scrollable and sortable; the chart takes the rest.
    const int split = 72 + 6 * 30 + 26;
    const QSize area = layoutSize();
    Grid->setGeometry(QRect(layoutOrigin() + QPoint(8, 72), QSize(area.width() - 16, split - 72)));
    Chart->setGeometry(QRect(layoutOrigin() + QPoint(8, split + 6), QSize(area.width() - 16, area.height() - split - 14)));
    Chart->setCourse(name, std::move(course));
    Chart->show();
    Grid->scrollTo(index);
}

namespace classoverview {
namespace {
QString &shownGroup()
{
    static QString g;
    return g;
}
} // namespace
void setGroup(const QString &group) { shownGroup() = group; }
QString group() { return shownGroup(); }

void saveCsv(QWidget *parent)
{
    saveflow::save(parent,
                   {QStringLiteral("CSVで保存"), csvexport::defaultFileName(QDate::currentDate()), QStringLiteral("CSV (*.csv)")},
                   [](const QString &file) -> saveflow::Outcome {
                       const csvexport::Written w = csvexport::exportClassroom(Classroom::inUse(), file, group());
                       return {w.refusal, QStringLiteral("%1人の記録（%2回分）を保存しました。\n%3").arg(w.children).arg(w.rows).arg(file)};
                   });
}
} // namespace classoverview
