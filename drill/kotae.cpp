#include "drill/kotae.h"
#include "drill/drillrecord.h"
#include "drill/drillsession.h"

#include "drill/drillrules.h"
#include "drill/reviewpanel.h"
#include "drill/start.h"
#include "base/errors.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/widgets.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QtMath>

namespace {

const QColor kBlue = style::kLightBlue; // right: blue that reads on the dark blue
const QColor kRed = style::kRed;

// An engraved line along the top or the bottom edge of its box: a shadow line over a light one.
class Bevel : public QWidget {
public:
    enum class Edge { Top, Bottom };
    Bevel(QWidget *parent, const QString &name, QRect box, Edge edge) : QWidget(parent), edge_(edge)
    {
        setObjectName(name);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(box);
    }
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int y = edge_ == Edge::Top ? 0 : height() - 2;
        p.setPen(QColor(128, 128, 128));
        p.drawLine(0, y, width() - 1, y);
        p.setPen(Qt::white);
        p.drawLine(0, y + 1, width() - 1, y + 1);
    }
private:
    Edge edge_;
};

void setText(QLabel *l, const QString &text)
{
    l->setText(text);
    l->adjustSize();
}

// A count in the band at the bottom stays where it is and ends before the word after it (at x `end`
// on the sheet): "10" is set narrower where one digit fits as it is.
void setCount(QLabel *l, int count, int end)
{
    const QString text = QString::number(count);
    QFont f = l->font();
    f.setStretch(QFont::AnyStretch);
    l->setFont(style::narrowedToFit(f, text, end - 2 - l->x() - l->contentsRect().left()));
    setText(l, text);
}

// The typed-answer cell ends where the mark cell begins. A long answer (up to ten digits fit the
// field) is set in smaller type until it fits, so that it never runs under the ○ or ×.
constexpr int kTypedCellPx = 27;
constexpr int kTypedCellWidth = 605 - 453 - 4;

void setTypedText(QLabel *l, const QString &text)
{
    QFont f = l->font();
    int px = kTypedCellPx;
    f.setPixelSize(px);
    while (px > 8 && QFontMetrics(f).horizontalAdvance(text) > kTypedCellWidth)
        f.setPixelSize(--px);
    l->setFont(f);
    l->setMaximumWidth(kTypedCellWidth);
    setText(l, text);
}

} // namespace

TForm4::TForm4()
    : Screen({.title = QStringLiteral("kotae"), .kind = Kind::FullScreenMaximised, .fontPx = 24})
{
}

void TForm4::FormCreate()
{
    makeLabel(this, QStringLiteral("Label1"), QStringLiteral("答え"), {253, 17}, 21, Qt::white);
    makeLabel(this, QStringLiteral("Label2"), QStringLiteral("入力した答え"), {437, 16}, 21, Qt::white);

    static const char *const titles[kRows] = {"一問目", "二問目", "三問目", "四問目", "五問目",
                                              "六問目", "七問目", "八問目", "九問目", "十問目"};
    for (int k = 1; k <= kRows; ++k) {
        const int step = 48 * (k - 1);
        new Bevel(this, QStringLiteral("Bevel%1").arg(2 * k - 1), QRect(85, 47 + step, 625, 25), Bevel::Edge::Top);
        new Bevel(this, QStringLiteral("Bevel%1").arg(2 * k), QRect(85, 71 + step, 625, 17), Bevel::Edge::Bottom);
        const int top = 55 + step;
        titleCells[k - 1] = makeLabel(this, titleCellName(k), QString::fromUtf8(titles[k - 1]), {101, top}, 27, Qt::white);
        answerCells[k - 1] = makeLabel(this, answerCellName(k), QString(), {245, top}, 27, kRed);
        typedCells[k - 1] = makeLabel(this, typedCellName(k), QString(), {453, top}, 27, Qt::white);
        markCells[k - 1] = makeLabel(this, markCellName(k), QString(), {605, top}, 27, kBlue);
    }

    Label44 = makeLabel(this, QStringLiteral("Label44"), QString(), {150, 521}, 48, kBlue);
    Label43 = makeLabel(this, QStringLiteral("Label43"), QStringLiteral("問正解    　問不正解"), {200, 522}, 48, Qt::white);
    Label45 = makeLabel(this, QStringLiteral("Label45"), QString(), {383, 522}, 48, kRed);
    // Under the counts, calm and small: the child is told, not alarmed.
    Label47 = makeLabel(this, QStringLiteral("Label47"), pace::busyNotice(), {150, 576}, 16, QColor(255, 255, 160));
    Label47->hide();

    kit::buttons(this, {{{"Label46", &Label46}, {"Image1", &Image1}, QStringLiteral("もどる"), {728, 540}, {720, 520},
                         {81, 73}, 24, Qt::AllButtons, [this] { Label46Click(); }}});

    Timer1 = kit::timer(this, "Timer1", 10, kit::Timing::Coarse, [this] { Timer1Timer(); });

    Review = new ReviewPanel(this);
    for (const auto *cells : {&titleCells, &answerCells, &typedCells, &markCells})
        for (QLabel *c : *cells)
            c->installEventFilter(this);
    connect(Review, &ReviewPanel::replayWanted, this, pz::guarded([this](int row) {
        screens().flashScreen->Replay(state().drill->question(row).numbers);
    }));
    // Back from the replay, the panel takes the keyboard again.
    connect(screens().flashScreen, &TForm2::replayFinished, this, pz::guarded([this] {
        if (Review->isVisible())
            Review->setFocus();
    }));
}

bool TForm4::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        for (const auto *cells : {&titleCells, &answerCells, &typedCells, &markCells})
            if (const auto at = std::find(cells->begin(), cells->end(), watched); at != cells->end()) {
                const int row = int(at - cells->begin());
                pz::guard([&] { openReview(row); });
                return true;
            }
    return Screen::eventFilter(watched, event);
}

void TForm4::openReview(int row)
{
    // Only the drill the sheet shows, once it is marked; a replay under way is left alone.
    const DrillSession &drill = *state().drill;
    if (markCells[row]->text().isEmpty() || drill.questionsKept() != kRows || screens().flashScreen->isReplaying())
        return;
    Review->present(row, titleCells[row]->text(), drill.question(row));
}

void TForm4::FormShow()
{
    Label47->hide();
    // The cells show the drill's answers: the sums of the flash screen and the texts as typed.
    const DrillSession &drill = *state().drill;
    for (int i = 0; i < kRows; ++i) {
        setText(answerCells[i], drill.correctAnswer(i));
        setTypedText(typedCells[i], drill.typedAnswer(i));
    }
}

void TForm4::startFill() { Timer1->start(); }

void TForm4::Timer1Timer()
{
    // Stopped first: the job runs once per showing, and an error box opened by a failed append
    // must not let a second tick append again while it waits.
    Timer1->stop();

    const drillrules::Marks marks = state().drill->sheetMarks();
    for (int k = 0; k < kRows; ++k) {
        setText(markCells[k], marks.right[k] ? QStringLiteral("○") : QStringLiteral("×"));
        style::setColour(markCells[k], QPalette::WindowText, marks.right[k] ? kBlue : kRed);
    }
    // Each count ends before the ink of the word after it: 問正解 and 問不正解 on Label43.
    const QString words = Label43->text();
    const QFontMetricsF fm(Label43->font());
    const int wordsAt = Label43->x() + Label43->contentsRect().left() + qFloor(fm.tightBoundingRect(words.left(1)).left());
    setCount(Label44, marks.correct, wordsAt);
    setCount(Label45, marks.incorrect, wordsAt + qFloor(fm.horizontalAdvance(words.left(words.indexOf(QStringLiteral("問不正解"))))));

    appendDrillLine();
}

void TForm4::appendDrillLine()
{
    const drillrecord::Said said = drillrecord::record(*state().drill, drillrecord::Moment::Sheet, [](const QString &message) {
        pz::guard([&] { dialogs::warn(message); });
    });
    if (said.recorded)
        Label47->setVisible(said.late);
    if (said.failed)
        throw *said.failed;
}

void TForm4::recordFinishedDrill()
{
    Timer1->stop();
    const drillrecord::Said said = drillrecord::record(*state().drill, drillrecord::Moment::WayOut);
    if (said.failed)
        throw *said.failed;
    if (!said.kept.isEmpty())
        dialogs::warn(said.kept);
}

void TForm4::Label46Click() { Close(); }

void TForm4::FormCloseQuery()
{
    // A sheet closed before its fill tick: the drill is finished all the same, so it is marked and
    // its line (fixed at the verdict) written now.
    if (Timer1->isActive())
        pz::guard([this] { Timer1Timer(); });
    Timer1->stop();
    for (int i = 0; i < kRows; ++i) {
        setText(answerCells[i], QString());
        setTypedText(typedCells[i], QString());
    }
    state().drill->sheetClosed();
    Review->closePanel();
}
