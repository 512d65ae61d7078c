#include "drill/reviewpanel.h"
#include "drill/drillsession.h"

#include "drill/review.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>

namespace {
constexpr QRect kPanel(170, 24, 460, 552);
} // namespace

ReviewPanel::ReviewPanel(QWidget *sheet) : QFrame(sheet)
{
    setObjectName(QStringLiteral("ReviewPanel"));
    setGeometry(kPanel);
    setFrameShape(QFrame::Box);
    setLineWidth(3);
    setAutoFillBackground(true);
    style::setColour(this, QPalette::Window, style::kDarkBlue);
    style::setColour(this, QPalette::WindowText, Qt::white);
    setFocusPolicy(Qt::StrongFocus);

    Title = makeLabel(this, QStringLiteral("Title"), QString(), {20, 12}, 30, Qt::white);

    Numbers = new QTableWidget(0, 3, this);
    Numbers->setObjectName(QStringLiteral("Numbers"));
    Numbers->setGeometry(20, 56, 420, 270);
    Numbers->setHorizontalHeaderLabels({QStringLiteral("ばんめ"), QStringLiteral("かず"), QStringLiteral("ここまでの ごうけい")});
    Numbers->verticalHeader()->hide();
    Numbers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Numbers->setSelectionMode(QAbstractItemView::NoSelection);
    Numbers->setFocusPolicy(Qt::NoFocus);
    Numbers->setFont(style::font(20, true));
    Numbers->horizontalHeader()->setFont(style::font(16, true));
    Numbers->verticalHeader()->setDefaultSectionSize(30);
    Numbers->setColumnWidth(0, 90);
    Numbers->setColumnWidth(1, 130);
    Numbers->horizontalHeader()->setStretchLastSection(true);
    style::setColour(Numbers, QPalette::Base, Qt::white);
    style::setColour(Numbers, QPalette::Text, Qt::black);

    SumLine = makeLabel(this, QStringLiteral("SumLine"), QString(), {20, 336}, 24, Qt::white);
    TypedLine = makeLabel(this, QStringLiteral("TypedLine"), QString(), {20, 368}, 24, Qt::white);
    Explanation = makeLabel(this, QStringLiteral("Explanation"), QString(), {20, 404}, 22, QColor(255, 255, 0));
    Explanation->setWordWrap(true);
    Explanation->setFixedWidth(420);

    kit::buttons(this, {
        {{"ReplayLabel", &ReplayLabel}, {"ReplayImage", &ReplayImage}, QStringLiteral("もういちど みる"), {44, 484},
         {20, 466}, {230, 70}, 24, Qt::LeftButton, [this] { emit replayWanted(row_); }},
        {{"BackLabel", &BackLabel}, {"BackImage", &BackImage}, QStringLiteral("もどる"), {340, 484}, {310, 466},
         {130, 70}, 24, Qt::LeftButton, [this] { closePanel(); }},
    });
    hide();
}

void ReviewPanel::present(int row, const QString &title, const DrillSession::Question &question)
{
    row_ = row;
    Title->setText(title);
    Title->adjustSize();
    const QList<qint64> totals = review::subtotals(question.numbers);
    Numbers->setRowCount(int(question.numbers.size()));
    for (int i = 0; i < question.numbers.size(); ++i) {
        const QString cells[] = {QString::number(i + 1), QString::number(question.numbers[i]), QString::number(totals[i])};
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Numbers->setItem(i, c, item);
        }
    }
    Numbers->scrollToTop();
    SumLine->setText(QStringLiteral("こたえ　") + QString::number(question.sum));
    SumLine->adjustSize();
    TypedLine->setText(QStringLiteral("きみの こたえ　") + question.typed);
    TypedLine->adjustSize();
    bool ok = false;
    const qint64 typed = question.typed.toLongLong(&ok);
    Explanation->setText(ok ? review::sentence(review::explain(question.numbers, typed)) : QString());
    Explanation->adjustSize();
    show();
    raise();
    setFocus();
}

void ReviewPanel::closePanel()
{
    hide();
    row_ = -1;
}

void ReviewPanel::keyPressEvent(QKeyEvent *event)
{
    event->accept(); // no key reaches the sheet behind the panel
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        closePanel();
}
