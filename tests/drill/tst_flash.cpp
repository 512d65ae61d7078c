// The flash screen: its layout, the countdown, number on and number off, the hand-over, the close
// reset, whole questions in real time (also with the GUI thread too busy for a tick), and the
// pre-rendered digits.
#include "tests/support/eventloop.h"
#include "drill/drillsession.h"
#include "support/testmain.h"
#include "support/drillplay.h"

#include "drill/MMTimer.h"
#include "drill/flashrules.h"
#include "drill/kotaeinput.h"
#include "drill/numberlabel.h"
#include "drill/option.h"
#include "drill/start.h"
#include "shell/main.h"

#include <QLabel>
#include <QPainter>
#include <QThread>
#include <QTimer>

using testsupport::Program;
using testsupport::recorder;

namespace {


// The drill screens as the grade briefing leaves them, with the given parameters.
TForm2 *ready(Program &p, int digits, int count, double seconds)
{
    p.state().gradeName = QStringLiteral("テスト");
    p.state().gradeParams = GradeParams{digits, count, seconds};
    p.screens().mainMenu->Show();
    p.screens().gradeSelection->Show();
    return p.screens().flashScreen;
}

// Records the number label's text at each of its paints.
class PaintLog : public QObject {
public:
    explicit PaintLog(QLabel *label) : label_(label) { label->installEventFilter(this); }
    QStringList texts; // consecutive repeats folded
protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && (texts.isEmpty() || texts.last() != label_->text()))
            texts << label_->text();
        return false;
    }
private:
    QLabel *label_;
};

// A clock that reads out the given values, then repeats the last one.
ClockMs readings(QList<std::uint32_t> values, int *reads)
{
    return [values, reads]() mutable {
        const std::uint32_t v = values.size() > 1 ? values.takeFirst() : values.first();
        ++*reads;
        return v;
    };
}

// The flash screen on the display, its countdown run, the first of four numbers due: 793, 108, 523
// and 536.
TForm2 *countedDownToFour(Program &p, int *reads)
{
    TForm2 *f = ready(p, 3, 4, 99);
    f->setNumberClock(readings({86399999u, 0u, 45296789u, 16u}, reads));
    f->Show();
    if (QTest::qWaitForWindowExposed(f))
        for (int i = 0; i < 3; ++i)
            f->Timer1Timer();
    return f;
}

} // namespace

class TestFlash : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void countdownIsSeen();
    void everyNumberFitsItsLabel_data();
    void everyNumberFitsItsLabel();
    void countdown_data();
    void countdown();
    void silentAfterTheTenthAnswer();
    void activationLeavesARunningCountdownAlone();
    void numberOnAndOff_data();
    void numberOnAndOff();
    void equalNeighbourIsDrawnAgain();
    void handOver();
    void rearm();
    void closeResets();
    void unrunnableParametersEndTheDrill_data();
    void unrunnableParametersEndTheDrill();
    void wholeQuestionInRealTime();
    void closingMidQuestionStopsEverything();
    void busyGuiThreadDoesNotStallTheQuestion_data();
    void busyGuiThreadDoesNotStallTheQuestion();
    void slowNumberHandlerDrawsOneNumber();
    void screenHoldsExactlyTheNumberShown();
    void flashesRepaintOnlyBesideTheInk();
    void preparedDigitsLookLikeTheText_data();
    void preparedDigitsLookLikeTheText();
};

void TestFlash::layout()
{
    Program p;
    TForm2 *f = p.screens().flashScreen;
    QCOMPARE(f->windowTitle(), QStringLiteral("start"));
    QCOMPARE(f->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(f->Label1->objectName(), QStringLiteral("Label1"));
    QCOMPARE(f->Label1->text(), QStringLiteral("3"));
    QCOMPARE(f->Label1->pos(), QPoint(320, 122));
    QCOMPARE(f->Label1->font().pixelSize(), 267);
    QVERIFY(f->Label1->font().bold());
    QCOMPARE(f->Label1->palette().color(QPalette::WindowText), QColor(0, 0, 160));
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("Label2")), f->Label2);
    QCOMPARE(f->Label2->text(), QString());
    QCOMPARE(f->Label2->font().pixelSize(), 400);
    QVERIFY(f->Label2->font().italic());
    QVERIFY(!f->Label2->font().bold());
    QCOMPARE(f->Label2->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(f->Label2->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QCOMPARE(f->findChild<QTimer *>(QStringLiteral("Timer1")), f->Timer1);
    QCOMPARE(f->Timer1->interval(), 1000);
    QCOMPARE(f->Timer4->interval(), 300);
    QVERIFY(!f->Timer1->isActive());
    QVERIFY(!f->Timer4->isActive());
    QCOMPARE(f->findChild<TMMTimer *>(QStringLiteral("MMTimer2")), f->MMTimer2);
    QCOMPARE(f->findChild<TMMTimer *>(QStringLiteral("MMTimer3")), f->MMTimer3);
    QVERIFY(!f->MMTimer2->Enabled());
    QVERIFY(!f->MMTimer3->Enabled());
    QCOMPARE(f->phase(), TForm2::Phase::Idle);
}

void TestFlash::countdownIsSeen()
{
    // The countdown lies inside the number label's box; the "3" must show through it.
    Program p;
    TForm2 *f = ready(p, 3, 15, 3);
    f->Show();
    const QImage shot = f->grab().toImage();
    int blue = 0;
    const QRect r = f->Label1->geometry();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            blue += shot.pixelColor(x, y) == QColor(0, 0, 160);
    QVERIFY2(blue > 2000, qPrintable(QString::number(blue)));
    f->Timer1->stop();
}

void TestFlash::everyNumberFitsItsLabel_data()
{
    QTest::addColumn<int>("digits");
    QTest::newRow("1 digit, 300 px") << 1;
    QTest::newRow("2 digits, 500 px") << 2;
    QTest::newRow("3 digits, 700 px") << 3;
}

void TestFlash::everyNumberFitsItsLabel()
{
    QFETCH(int, digits);
    Program p;
    TForm2 *f = p.screens().flashScreen;
    f->Label2->prepare();
    const auto at = *flashrules::numberPlacement(digits);
    const QRect label(0, 0, at.width, f->Label2->height());
    int checked = 0;
    for (std::uint32_t ms = 0; ms < 86400000u; ms += 4999) {
        const QString t = QString::number(GenerateNumber(digits, [ms] { return ms; }));
        const QRect ink = f->Label2->inkRect(t);
        QVERIFY2(label.contains(ink), qPrintable(QStringLiteral("%1 inks %2..%3 of %4").arg(t).arg(ink.left()).arg(ink.right()).arg(at.width)));
        ++checked;
    }
    QVERIFY(checked > 17000);
}

void TestFlash::countdown_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<uint>("interval");
    QTest::newRow("10級") << 1 << 4 << 4.0 << 567u;
    QTest::newRow("6級, exact quotient") << 2 << 3 << 3.0 << 595u;
    QTest::newRow("十段") << 3 << 15 << 3.0 << 99u;
}

void TestFlash::countdown()
{
    QFETCH(int, digits);
    QFETCH(int, count);
    QFETCH(double, seconds);
    QFETCH(uint, interval);
    Program p;
    TForm2 *f = ready(p, digits, count, seconds);
    recorder().clear();
    f->Show();
    QVERIFY(!p.screens().mainMenu->isEnabled());
    QVERIFY(!p.screens().gradeSelection->isEnabled());
    QCOMPARE(p.app().activeScreen(), f);
    QVERIFY(f->Timer1->isActive());
    QCOMPARE(recorder().count(sound::Cue::Countdown), 1);

    f->Timer1Timer();
    QCOMPARE(f->Label1->text(), QStringLiteral("2"));
    QCOMPARE(f->MMTimer2->Interval(), interval);
    QCOMPARE(f->MMTimer3->Interval(), interval);
    QCOMPARE(recorder().count(sound::Cue::Countdown), 2);
    QVERIFY(!f->MMTimer2->Enabled());

    f->Timer1Timer();
    QCOMPARE(f->Label1->text(), QStringLiteral("1"));
    QCOMPARE(recorder().count(sound::Cue::Countdown), 3);

    f->Timer1Timer();
    // "0" is never seen: the label is hidden and the first number is due one interval later.
    QVERIFY(!f->Label1->isVisible());
    QVERIFY(!f->Timer1->isActive());
    QVERIFY(f->MMTimer2->Enabled());
    QVERIFY(!f->MMTimer3->Enabled());
    QCOMPARE(f->phase(), TForm2::Phase::Gap);
    QCOMPARE(f->numberIndex(), 0);
    QCOMPARE(recorder().count(sound::Cue::Countdown), 3); // three per question
    QVERIFY(f->Label2->isPrepared());
    f->MMTimer2->setEnabled(false);
}

void TestFlash::silentAfterTheTenthAnswer()
{
    Program p;
    TForm2 *f = ready(p, 1, 4, 4);
    drillplay::rightAnswers(*p.state().drill, 10);
    recorder().clear();
    f->Show();
    QVERIFY(f->Timer1->isActive());
    QCOMPARE(recorder().count(sound::Cue::Countdown), 0);
}

void TestFlash::activationLeavesARunningCountdownAlone()
{
    Program p;
    TForm2 *f = ready(p, 1, 4, 4);
    f->Show();
    QVERIFY(f->Timer1->isActive());
    // Until a restart would be told apart (a restart gives at least 950 ms, even coarse), however
    // long that takes; a tick meanwhile just starts the next second.
    QTRY_VERIFY_WITH_TIMEOUT(f->Timer1->remainingTime() < 900, 5000);
    const int left = f->Timer1->remainingTime();
    f->FormActivate();
    QVERIFY(f->Timer1->isActive());
    QVERIFY(f->Timer1->remainingTime() <= left);
}

void TestFlash::numberOnAndOff_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<QRect>("place");
    QTest::newRow("1 digit") << 1 << QRect(240, 72, 300, 0);
    QTest::newRow("2 digits") << 2 << QRect(160, 72, 500, 0);
    QTest::newRow("3 digits") << 3 << QRect(48, 72, 700, 0);
}

void TestFlash::numberOnAndOff()
{
    QFETCH(int, digits);
    QFETCH(QRect, place);
    Program p;
    // Two numbers over 99 s: no real tick comes while the handlers are stepped by hand.
    TForm2 *f = ready(p, digits, 2, 99);
    int reads = 0;
    f->setNumberClock(readings({45296789u, 3600000u}, &reads));
    const int first = GenerateNumber(digits, [] { return std::uint32_t(45296789u); });
    const int second = GenerateNumber(digits, [] { return std::uint32_t(3600000u); });
    QVERIFY(first != second);
    f->Show();
    for (int i = 0; i < 3; ++i)
        f->Timer1Timer();
    QCOMPARE(f->MMTimer2->Interval(), 32995u);

    f->MMTimer3Timer(f->MMTimer3); // no number visible: nothing happens
    QCOMPARE(f->shownCount(), 0);
    QCOMPARE(f->phase(), TForm2::Phase::Gap);

    f->MMTimer2Timer(f->MMTimer2);
    QCOMPARE(f->numberIndex(), 1);
    QCOMPARE(p.state().drill->currentNumbers(), QList<int>{first});
    QCOMPARE(f->Label2->text(), QString::number(first));
    QCOMPARE(f->phase(), TForm2::Phase::Shown);
    QVERIFY(!f->MMTimer2->Enabled());
    QVERIFY(f->MMTimer3->Enabled());
    QCOMPARE(p.state().drill->runningSum(), first);
    QCOMPARE(QRect(f->Label2->x(), f->Label2->y(), f->Label2->width(), 0), place);

    f->MMTimer3Timer(f->MMTimer3);
    QCOMPARE(f->Label2->text(), QString());
    QCOMPARE(f->phase(), TForm2::Phase::Gap);
    QVERIFY(f->MMTimer2->Enabled());
    QVERIFY(!f->MMTimer3->Enabled());
    QCOMPARE(f->shownCount(), 1);
    QVERIFY(!f->Timer4->isActive());

    f->MMTimer2Timer(f->MMTimer2);
    QCOMPARE(f->numberIndex(), 2);
    QCOMPARE(p.state().drill->currentNumbers(), (QList<int>{first, second}));
    QCOMPARE(p.state().drill->runningSum(), first + second);

    f->MMTimer3Timer(f->MMTimer3); // the last one: the question's presentation ends
    QVERIFY(!f->MMTimer2->Enabled());
    QVERIFY(!f->MMTimer3->Enabled());
    QCOMPARE(f->phase(), TForm2::Phase::Idle);
    QCOMPARE(p.state().drill->questionNo(), 1);
    QCOMPARE(p.state().drill->correctAnswer(0), QString::number(first + second));
    QCOMPARE(p.state().drill->question(0).numbers, (QList<int>{first, second}));
    QCOMPARE(f->Label1->text(), QString());
    QVERIFY(f->Label1->isVisible());
    QCOMPARE(f->Label2->text(), QString());
    QCOMPARE(f->shownCount(), 0);
    QVERIFY(f->Timer4->isActive());
    QCOMPARE(reads, 2);
    // The running sum stays for the answer box to judge.
    QCOMPARE(p.state().drill->runningSum(), first + second);
}

void TestFlash::equalNeighbourIsDrawnAgain()
{
    Program p;
    TForm2 *f = ready(p, 3, 3, 99);
    int reads = 0;
    // The second number is first drawn at the same clock reading as the first, so it comes out
    // equal and is drawn again until the clock has moved on. The third may equal the first.
    f->setNumberClock(readings({45296789u, 45296789u, 45296789u, 3600000u, 45296789u}, &reads));
    f->Show();
    for (int i = 0; i < 3; ++i)
        f->Timer1Timer();
    for (int k = 0; k < 3; ++k) {
        f->MMTimer2Timer(f->MMTimer2);
        f->MMTimer3Timer(f->MMTimer3);
    }
    QCOMPARE(p.state().drill->question(0).numbers, (QList<int>{523, 878, 523}));
    QCOMPARE(reads, 5);
    QCOMPARE(p.state().drill->correctAnswer(0), QStringLiteral("1924"));
}

void TestFlash::handOver()
{
    Program p;
    TForm2 *f = ready(p, 1, 4, 4);
    f->Show();
    f->Timer1->stop();
    f->Timer4->start();
    f->Timer4Timer();
    QVERIFY(!f->Timer4->isActive());
    QVERIFY(p.screens().answerBox->isVisible());
    QCOMPARE(p.app().activeScreen(), p.screens().answerBox);
    QVERIFY(f->isVisible()); // stays where it is, blank
}

void TestFlash::rearm()
{
    Program p;
    TForm2 *f = ready(p, 1, 4, 4);
    f->Show();
    f->Timer1->stop();
    f->Label1->setText(QString());
    f->Rearm();
    QCOMPARE(f->Label1->text(), QStringLiteral("3"));
    QVERIFY(f->Label1->isVisible());
    QVERIFY(f->Timer1->isActive());
}

void TestFlash::closeResets()
{
    Program p;
    TForm2 *f = ready(p, 2, 5, 99);
    f->Show();
    for (int i = 0; i < 3; ++i)
        f->Timer1Timer();
    f->MMTimer2Timer(f->MMTimer2);
    f->MMTimer3Timer(f->MMTimer3);
    f->MMTimer2Timer(f->MMTimer2);
    DrillSession &d = *p.state().drill;
    for (int q = 0; q < 4; ++q) // as if four questions had been flashed and answered
        drillplay::question(d, {}, QString::number(d.runningSum()));
    QVERIFY(d.correctCount() > 0);
    QCOMPARE(d.questionsKept(), 4);
    f->Timer4->start();
    p.screens().answerBox->setQuestionCaption(QStringLiteral("5問目"));

    f->Close();
    QVERIFY(!f->isVisible());
    QVERIFY(p.screens().mainMenu->isEnabled());
    QVERIFY(p.screens().gradeSelection->isEnabled());
    QVERIFY(!f->Timer1->isActive());
    QCOMPARE(f->Label1->text(), QStringLiteral("3"));
    QVERIFY(!f->Label1->isHidden());
    QCOMPARE(f->Label2->text(), QString());
    QVERIFY(!f->MMTimer2->Enabled());
    QVERIFY(!f->MMTimer3->Enabled());
    QCOMPARE(f->shownCount(), 0);
    QCOMPARE(d.runningSum(), 0);
    QCOMPARE(d.questionNo(), 0);
    QVERIFY(!f->Timer4->isActive());
    QCOMPARE(d.answeredCount(), 0);
    QCOMPARE(p.screens().answerBox->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("1問目"));
    QCOMPARE(d.correctCount(), 0);
    QCOMPARE(f->numberIndex(), 0);
    QCOMPARE(f->phase(), TForm2::Phase::Idle);
    QCOMPARE(d.questionsKept(), 0); // an abandoned drill leaves nothing to look at again
}

void TestFlash::unrunnableParametersEndTheDrill_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("named");
    QTest::newRow("no numbers: the question could never end") << 1 << 0 << 4.0 << QStringLiteral("口数が 0 ");
    QTest::newRow("more numbers than slots") << 1 << 100 << 99.0 << QStringLiteral("口数が 100 ");
    QTest::newRow("four digits") << 4 << 4 << 4.0 << QStringLiteral("桁数が 4 ");
    QTest::newRow("no usable interval") << 1 << 99 << 0.5 << QStringLiteral("1ミリ秒未満");
}

void TestFlash::unrunnableParametersEndTheDrill()
{
    // Refused at the first tick of the countdown, before any number; the drill ends.
    QFETCH(int, digits);
    QFETCH(int, count);
    QFETCH(double, seconds);
    QFETCH(QString, named);
    Program p;
    TForm2 *f = ready(p, digits, count, seconds);
    f->Show();
    recorder().clear();
    f->Timer1Timer();
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Warning);
    QVERIFY2(recorder().boxes[0].text.contains(named), qPrintable(recorder().boxes[0].text));
    QCOMPARE(recorder().count(sound::Cue::Countdown), 0);
    QVERIFY(!p.app().isOpen(f));
    QVERIFY(!f->Timer1->isActive());
    QVERIFY(!f->MMTimer2->Enabled());
    QCOMPARE(f->Label1->text(), QStringLiteral("3"));
    QVERIFY(p.screens().gradeSelection->isEnabled());
}

void TestFlash::wholeQuestionInRealTime()
{
    Program p;
    // 1 digit, 3 numbers, 1 s: I = 195 ms.
    TForm2 *f = ready(p, 1, 3, 1);
    PaintLog log(f->Label2);
    recorder().clear();
    f->Show();
    QVERIFY2(runUntil([&] { return p.screens().answerBox->isVisible(); }, 10000), "no answer box 10 s after the countdown began (a question takes about 5 s)");
    const SharedState &s = p.state();
    QCOMPARE(s.drill->questionNo(), 1);
    const QList<int> shown = s.drill->question(0).numbers;
    QCOMPARE(shown.size(), 3);
    for (int k = 0; k < 3; ++k) {
        QVERIFY(shown[k] >= 1 && shown[k] <= 9);
        QVERIFY(k == 0 || shown[k] != shown[k - 1]);
    }
    QCOMPARE(s.drill->correctAnswer(0), QString::number(shown[0] + shown[1] + shown[2]));
    QCOMPARE(s.drill->runningSum(), shown[0] + shown[1] + shown[2]);
    // Each number was on screen, and blank after it, in order.
    QStringList expected;
    for (int n : shown)
        expected << QString::number(n) << QString();
    if (!log.texts.isEmpty() && log.texts.first().isEmpty())
        log.texts.removeFirst();
    QCOMPARE(log.texts, expected);
    QCOMPARE(recorder().count(sound::Cue::Countdown), 3);
    QCOMPARE(p.app().activeScreen(), p.screens().answerBox);
}

void TestFlash::closingMidQuestionStopsEverything()
{
    Program p;
    TForm2 *f = ready(p, 2, 6, 2); // I = 176 ms
    f->Show();
    QVERIFY2(runUntil([&] { return f->phase() == TForm2::Phase::Shown; }, 8000), "no number shown 8 s after the countdown began");
    f->Close();
    runUntil([] { return false; }, 1000); // nothing more happens
    QCOMPARE(f->Label2->text(), QString());
    QCOMPARE(f->numberIndex(), 0);
    QCOMPARE(f->phase(), TForm2::Phase::Idle);
    QCOMPARE(p.state().drill->questionNo(), 0);
    QCOMPARE(p.state().drill->runningSum(), 0);
    QVERIFY(!p.screens().answerBox->isVisible());
    // The next drill starts again at question 1.
    recorder().clear();
    f->Show();
    QCOMPARE(f->Label1->text(), QStringLiteral("3"));
    QVERIFY(f->Label1->isVisible());
    QCOMPARE(recorder().count(sound::Cue::Countdown), 1);
    QCOMPARE(p.screens().answerBox->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("1問目"));
    QVERIFY2(runUntil([&] { return p.screens().answerBox->isVisible(); }, 10000), "no answer box 10 s after the countdown began (a question takes about 5 s)");
    QCOMPARE(p.state().drill->questionNo(), 1);
}

void TestFlash::busyGuiThreadDoesNotStallTheQuestion_data()
{
    QTest::addColumn<int>("busyInPhase");
    QTest::newRow("busy while a number is shown: its off tick is missed") << 2;
    QTest::newRow("busy in a gap: the next number's tick is missed") << 1;
}

void TestFlash::busyGuiThreadDoesNotStallTheQuestion()
{
    QFETCH(int, busyInPhase);
    Program p;
    TForm2 *f = ready(p, 1, 4, 2); // I = 281 ms, a tick waits 253 ms
    f->Show();
    QVERIFY2(runUntil([&] { return f->numberIndex() == 2 && f->phase() == TForm2::Phase(busyInPhase); }, 8000), "the second number did not come within 8 s");
    QThread::msleep(700); // the GUI thread does not take the tick in time
    QVERIFY2(runUntil([&] { return p.screens().answerBox->isVisible(); }, 10000), "no answer box 10 s after the countdown began (a question takes about 5 s)");
    TMMTimer *late = busyInPhase == 2 ? f->MMTimer3 : f->MMTimer2;
    QVERIFY(late->missedTicks() >= 1);
    const SharedState &s = p.state();
    QCOMPARE(s.drill->questionNo(), 1);
    QCOMPARE(f->numberIndex(), 4);
    const QList<int> n = s.drill->question(0).numbers;
    QCOMPARE(n.size(), 4);
    QCOMPARE(s.drill->correctAnswer(0), QString::number(n[0] + n[1] + n[2] + n[3]));
}

void TestFlash::slowNumberHandlerDrawsOneNumber()
{
    // Every draw takes longer than a tick may wait (the clock is slow to read), so each number-on
    // tick is given up by the timer thread while its handler still runs. Each number is still
    // drawn exactly once: nothing runs the tick's work again.
    Program p;
    TForm2 *f = ready(p, 1, 4, 2); // I = 281 ms, a tick waits 253 ms
    const QList<std::uint32_t> values{0u, 12345u, 3600000u, 45296789u}; // 1, 4, 8, 5
    int reads = 0;
    f->setNumberClock([&] {
        QThread::msleep(400);
        return values.at(qMin(reads++, int(values.size()) - 1));
    });
    f->Show();
    QVERIFY2(runUntil([&] { return p.screens().answerBox->isVisible(); }, 15000), "no answer box 15 s after the countdown began (a question takes about 7 s)");
    QVERIFY(f->MMTimer2->missedTicks() >= 1); // the timer thread did give up waiting
    QCOMPARE(reads, 4);
    QCOMPARE(f->numberIndex(), 4);
    const SharedState &s = p.state();
    QCOMPARE(s.drill->question(0).numbers, (QList<int>{1, 4, 8, 5}));
    QCOMPARE(s.drill->correctAnswer(0), QStringLiteral("18"));
    QCOMPARE(s.drill->questionNo(), 1);
}

void TestFlash::screenHoldsExactlyTheNumberShown()
{
    // The flashes repaint only the pixels that change; what the window holds must still be exactly
    // the label as painted whole, with nothing left of the numbers before.
    Program p;
    int reads = 0;
    TForm2 *f = countedDownToFour(p, &reads);
    QVERIFY(QTest::qWaitForWindowExposed(f));
    auto check = [&](const char *when) {
        QCoreApplication::processEvents();
        const QImage shown = f->screen()->grabWindow(f->winId()).toImage().copy(f->Label2->geometry())
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage whole = f->Label2->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!shown.isNull(), when);
        QCOMPARE(shown.size(), whole.size());
        QVERIFY2(shown == whole, qPrintable(QStringLiteral("%1: the window differs from the label (text %2)")
                                                .arg(QLatin1String(when), f->Label2->text())));
    };
    for (int k = 0; k < 4; ++k) {
        f->MMTimer2Timer(f->MMTimer2);
        check("number on");
        f->MMTimer3Timer(f->MMTimer3);
        check("number off");
    }
    QCOMPARE(p.state().drill->correctAnswer(0), QString::number(793 + 108 + 523 + 536));
}

void TestFlash::flashesRepaintOnlyBesideTheInk()
{
    // Every pixel a flash repaints is painted and sent to the X server again, which at a large
    // display is most of a tick's cost: a flash repaints the rows the digits ink and one more, not
    // the label's empty rows. The one pixel repainted after each flash (where Qt waits for the
    // server, between ticks) lies outside the next flash's rectangle, or the wait falls in the tick.
    Program p;
    int reads = 0;
    TForm2 *f = countedDownToFour(p, &reads);
    QVERIFY(QTest::qWaitForWindowExposed(f));
    struct Painted : QObject {
        QList<QRegion> regions;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                regions << static_cast<QPaintEvent *>(e)->region();
            return false;
        }
    } painted;
    QCoreApplication::processEvents();
    f->Label2->installEventFilter(&painted);
    int inkTop = f->Label2->height(), inkBottom = -1; // the rows seen inked, over all four numbers
    QList<QRect> flashes, spots;
    for (int k = 0; k < 4; ++k)
        for (bool on : {true, false}) {
            painted.regions.clear();
            if (on)
                f->MMTimer2Timer(f->MMTimer2);
            else
                f->MMTimer3Timer(f->MMTimer3);
            QCOMPARE(painted.regions.size(), 1);
            flashes << painted.regions.first().boundingRect();
            QCoreApplication::processEvents();
            if (k < 3 || on) // (the last number's end also ends the question, which paints more)
                QCOMPARE(painted.regions.size(), 2);
            QCOMPARE(painted.regions.at(1).boundingRect().size(), QSize(1, 1));
            spots << painted.regions.at(1).boundingRect();
            const QImage shot = f->Label2->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (qGray(shot.pixel(x, y)) < 250) {
                        inkTop = qMin(inkTop, y);
                        inkBottom = qMax(inkBottom, y);
                    }
        }
    QVERIFY2(inkTop > 10 && inkBottom < f->Label2->height() - 10, "the test's numbers ink the label's edge rows");
    for (int i = 0; i < flashes.size(); ++i) {
        const QRect r = flashes[i];
        QVERIFY2(r.top() >= inkTop - 2 && r.bottom() <= inkBottom + 2,
                 qPrintable(QStringLiteral("flash %1 repainted rows %2..%3, the ink is in rows %4..%5")
                                .arg(i).arg(r.top()).arg(r.bottom()).arg(inkTop).arg(inkBottom)));
        QVERIFY2(r.contains(spots[i]), qPrintable(QStringLiteral("spot %1 is not within its flash").arg(i)));
        if (i + 1 < flashes.size())
            QVERIFY2(!flashes[i + 1].intersects(spots[i]),
                     qPrintable(QStringLiteral("flash %1 repaints the pixel left pending after flash %2").arg(i + 1).arg(i)));
    }
}

void TestFlash::preparedDigitsLookLikeTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("spacing"); // px between letters; digits that overlap must not cover each other
    for (const char *t : {"7", "1", "45", "98", "101", "230", "989", "476"})
        QTest::newRow(t) << QString::fromLatin1(t) << 0;
    for (const char *t : {"101", "888", "476"})
        QTest::newRow(qPrintable(QStringLiteral("%1 overlapping").arg(QLatin1String(t)))) << QString::fromLatin1(t) << -150;
}

void TestFlash::preparedDigitsLookLikeTheText()
{
    // The number label painted from its digit images against an ordinary label drawing the text.
    QFETCH(QString, text);
    QFETCH(int, spacing);
    Program p;
    TForm2 *f = p.screens().flashScreen;
    QFont font = f->Label2->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    f->Label2->setFont(font);
    const auto at = *flashrules::numberPlacement(text.size());
    QWidget host;
    host.setAttribute(Qt::WA_DontShowOnScreen);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, Qt::white);
    host.setPalette(pal);
    host.setAutoFillBackground(true);
    host.resize(800, 600);
    auto *plain = new QLabel(&host);
    plain->setFont(f->Label2->font());
    plain->setPalette(f->Label2->palette());
    plain->setAlignment(f->Label2->alignment());
    plain->setGeometry(at.left, at.top, at.width, f->Label2->height());
    plain->setText(text);
    f->Label2->prepare();
    f->Label2->setText(text);
    f->Label2->setFixedSize(plain->size());
    f->Label2->move(plain->pos());
    const QImage want = plain->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    const QImage got = f->Label2->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(got.size(), want.size());
    int ink = 0, differing = 0;
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) {
            const int a = want.pixel(x, y) & 0xff, b = got.pixel(x, y) & 0xff;
            ink += a < 128;
            differing += qAbs(a - b) > 64;
        }
    QVERIFY(ink > 1000); // the text is really there
    QVERIFY2(differing * 200 < ink, qPrintable(QStringLiteral("%1 of %2 ink pixels differ").arg(differing).arg(ink)));
}

PZ_GUI_TEST_MAIN(TestFlash)
#include "tst_flash.moc"
