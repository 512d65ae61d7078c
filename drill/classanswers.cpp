#include "drill/classanswers.h"

#include "base/errors.h"
#include "drill/drillrules.h"
#include "drill/reviewpanel.h"
#include "kit/app.h"
#include "kit/kit.h"
#include "kit/screen.h"
#include "kit/style.h"
#include "kit/widgets.h"

#include <QLabel>

namespace {
// Two columns of five rows; a row is a question.
constexpr int kTop = 64, kRowHeight = 94, kColumnWidth = 396;
const QString kLateNote = QStringLiteral("ずれあり：パソコンがいそがしく、数字がおくれて出たかもしれない問題");
} // namespace

TClassAnswers::TClassAnswers()
    : Screen({.title = QStringLiteral("みんなでフラッシュの答え"), .kind = Kind::FullScreen, .fontPx = 20})
{
}

void TClassAnswers::FormCreate()
{
    Title = makeLabel(this, QStringLiteral("Title"), QString(), {12, 12}, 30, Qt::white);

    std::vector<kit::ButtonRow> buttons;
    std::vector<QByteArray> names; // the control names, alive while the rows are built
    names.reserve(4 * classset::kMaxQuestions);
    for (int q = 0; q < classset::kMaxQuestions; ++q) {
        const int left = 8 + (q / 5) * kColumnWidth, top = kTop + (q % 5) * kRowHeight;
        Row row;
        row.index = makeLabel(this, QStringLiteral("Index%1").arg(q + 1), QStringLiteral("%1.").arg(q + 1),
                              {left, top + 18}, q + 1 < 10 ? 32 : 24, Qt::white);
        row.sum = new ClickLabel(this, QStringLiteral("Sum%1").arg(q + 1), QString(), {left + 54, top - 4}, 64,
                                 QColor(255, 255, 0));
        row.sum->setCursor(Qt::PointingHandCursor);
        connect(row.sum, &ClickLabel::clicked, this, pz::guarded([this, q] { showNumbers(q); }));
        row.pace = makeLabel(this, QStringLiteral("Pace%1").arg(q + 1), QString(), {left + 58, top + 66}, 16, Qt::white);
        for (const char *kind : {"Numbers", "Again"}) {
            names.push_back(kind + QByteArray::number(q + 1));
            names.push_back(kind + QByteArray("Image") + QByteArray::number(q + 1));
        }
        const auto at = [&](int dy) { return QPoint(left + 240, top + dy); };
        buttons.push_back({{names[names.size() - 4].constData()}, {names[names.size() - 3].constData()},
                           QStringLiteral("数字を見る"), at(12) + QPoint(16, 6), at(6), {146, 42}, 20, Qt::AllButtons,
                           [this, q] { showNumbers(q); }});
        buttons.push_back({{names[names.size() - 2].constData()}, {names.back().constData()},
                           QStringLiteral("もう一度"), at(56) + QPoint(26, 6), at(50), {146, 42}, 20, Qt::AllButtons,
                           [this, q] { replay(q); }});
        Rows << row;
    }
    buttons.push_back({{"SheetLabel"}, {"SheetImage"}, QStringLiteral("解答用紙"), {49, 546}, {12, 534}, {170, 60}, 24,
                       Qt::AllButtons, [this] { classpaper::save(this, classpaper::Paper::AnswerSheet, set_); }});
    buttons.push_back({{"KeyLabel"}, {"KeyImage"}, QStringLiteral("答え"), {251, 546}, {190, 534}, {170, 60}, 24,
                       Qt::AllButtons, [this] { classpaper::save(this, classpaper::Paper::AnswerKey, set_); }});
    buttons.push_back({{"MarksLabel"}, {"MarksImage"}, QStringLiteral("結果を入れる"), {384, 548}, {368, 534}, {200, 60}, 24,
                       Qt::AllButtons, [this] { emit marksWanted(set_, shown_); }});
    buttons.push_back({{"BackLabel"}, {"BackImage"}, QStringLiteral("もどる"), {676, 548}, {650, 534}, {140, 60}, 24,
                       Qt::AllButtons, [this] {
                           Close();
                           // Back at the choice, a new set is offered: the room has seen this one.
                           emit backToChoice();
                       }});
    kit::buttons(this, buttons);
    for (int q = 0; q < classset::kMaxQuestions; ++q) {
        Row &row = Rows[q];
        row.numbers = findChild<QWidget *>(QStringLiteral("Numbers%1").arg(q + 1));
        row.again = findChild<QWidget *>(QStringLiteral("Again%1").arg(q + 1));
        row.all = {row.index, row.sum, row.pace, row.numbers, row.again,
                   findChild<QWidget *>(QStringLiteral("NumbersImage%1").arg(q + 1)),
                   findChild<QWidget *>(QStringLiteral("AgainImage%1").arg(q + 1))};
    }

    Panel = new ReviewPanel(this);
    Panel->TypedLine->hide(); // nobody typed: the children wrote on paper
    connect(Panel, &ReviewPanel::replayWanted, this, pz::guarded([this](int q) { replay(q); }));
}

QString TClassAnswers::paceText(const pace::QuestionPace &q)
{
    if (q.flashes == 0)
        return QString();
    return QStringLiteral("%1　最大 %2 ms").arg(pace::verdictWord(pace::isLate(q)), pace::millisecondsText(q.worstLateUs));
}

void TClassAnswers::showSet(const classset::ClassSet &set, const QList<pace::QuestionPace> &paces)
{
    set_ = set;
    shown_ = QDateTime::currentDateTime();
    paces_ = paces;
    paces_.resize(set.questions.size());
    Title->setText(QStringLiteral("答え　") + classset::heading(set));
    Title->adjustSize();
    Panel->closePanel();
    for (int q = 0; q < Rows.size(); ++q) {
        const bool used = q < set.questions.size();
        for (QWidget *w : std::as_const(Rows[q].all))
            w->setVisible(used);
        if (used)
            fillRow(q);
    }
    Show();
}

void TClassAnswers::fillRow(int q)
{
    Row &row = Rows[q];
    row.sum->setText(QString::number(drillrules::questionSum(set_.questions[q])));
    row.sum->adjustSize();
    // A five-digit sum still ends before the row's buttons.
    const int origin = Screen::originFor(row.sum->parentWidget()).x();
    fitLabel(row.sum, origin + 8 + (q / 5) * kColumnWidth + 236);
    const bool late = pace::isLate(paces_[q]);
    row.pace->setText(paceText(paces_[q]));
    row.pace->adjustSize();
    fitLabel(row.pace, origin + 8 + (q / 5) * kColumnWidth + 238);
    style::setColour(row.pace, QPalette::WindowText, late ? QColor(255, 160, 160) : Qt::white);
    row.pace->setToolTip(late ? kLateNote : QString());
}

void TClassAnswers::replayed(int question, const pace::QuestionPace &measured)
{
    if (question < 0 || question >= paces_.size())
        return;
    paces_[question] = measured;
    fillRow(question);
}

void TClassAnswers::showNumbers(int question)
{
    if (question < 0 || question >= set_.questions.size())
        return;
    DrillSession::Question shown;
    shown.numbers = set_.questions[question];
    shown.sum = qint32(drillrules::questionSum(shown.numbers));
    Panel->present(question, QStringLiteral("%1問目").arg(question + 1), shown);
}

void TClassAnswers::replay(int question)
{
    if (question >= 0 && question < set_.questions.size())
        emit replayWanted(set_, question);
}

void TClassAnswers::FormCloseQuery() { Panel->closePanel(); }
