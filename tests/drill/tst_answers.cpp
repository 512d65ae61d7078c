// The answer box and the verdict screen: what the answer field lets in, the judging of each answer,
// the verdict after the tenth, abandoning a drill, and the verdict screen's way to the result sheet.
#include "support/testmain.h"
#include "drill/drillsession.h"

#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/option.h"
#include "drill/start.h"
#include "drill/success.h"
#include "platform/textfile.h"
#include "shell/main.h"
#include "kit/widgets.h"
#include "users/userstore.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>

using testsupport::Program;
using testsupport::recorder;
using testsupport::cp932Lines;

namespace {
const QString kUser = QStringLiteral("たろう");
const QList<int> kSums{15, 23, 8, 30, 123, 19, 27, 11, 16, 21};

QString recordRelPath() { return QStringLiteral("user/") + kUser + QStringLiteral(".dat"); }

// A logged-in child in front of the grade screen, with the files made at registration.
void setUpChild(Program &p)
{
    p.state().userName = kUser;
    p.state().gradeName = QStringLiteral("１０級");
    p.writeFile(recordRelPath(), cp932Lines({userstore::recordHeader()}));
    p.writeFile(userstore::passwordPath(kUser), cp932Lines({QStringLiteral("pw")}));
    p.screens().mainMenu->Show();
    p.screens().gradeSelection->Show();
    p.screens().flashScreen->Show();
}

// Question q has just been flashed with the given sum; the flash screen hands over to the box.
// The flash screen is left as its presentation leaves it: countdown label empty, Timer1 stopped.
void flashed(Program &p, int q, int sum)
{
    TForm2 *flash = p.screens().flashScreen;
    flash->Timer1->stop();
    flash->Label1->setText(QString());
    flash->Label1->setVisible(false);
    // Through the drill's own steps: the questions before q, then q's one number.
    DrillSession &d = *p.state().drill;
    while (d.questionNo() < q - 1)
        d.questionFinished();
    QCOMPARE(d.questionNo(), q - 1);
    d.numberShown(sum);
    d.questionFinished();
    p.screens().answerBox->Show();
}

// Types text key by key; characters beyond Latin-1 arrive as key events carrying that text.

QColor textColour(QWidget *w) { return w->palette().color(QPalette::Active, QPalette::WindowText); }

void typeAnswer(TForm5 *box, const QString &typed)
{
    testsupport::type(box->Edit1, typed);
    QTest::keyClick(box->Edit1, Qt::Key_Return);
}
} // namespace

class TestAnswers : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void keyFilter_data();
    void keyFilter();
    void keysThatTypeNothing_data();
    void keysThatTypeNothing();
    void enterWithoutText_data();
    void enterWithoutText();
    void otherWaysIn_data();
    void otherWaysIn();
    void refusedAtEnter_data();
    void refusedAtEnter();
    void emptyEnterDoesNothing();
    void showAndActivation();
    void oneAnswer();
    void wholeDrill_data();
    void wholeDrill();
    void abandonedDrill_data();
    void abandonedDrill();
    void flashScreenClosedUnderTheBox();
    void verdictKeys_data();
    void verdictKeys();
    void verdictClosedOtherwise_data();
    void verdictClosedOtherwise();
    void finishedDrillIsRecordedOnQuit_data();
    void finishedDrillIsRecordedOnQuit();
    void drillEndToEndInRealTime();
};

void TestAnswers::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    // "１問目" is full-width until the first reset.
    layoutRow("Label2", {40, 10}, {}, QStringLiteral("１問目"), 16, Qt::white, 1);
    layoutRow("Edit1", {56, 32}, {209, 72}, QString(), 64, QColor(), 1);
    layoutRow("Label1", {56, 112}, {}, QStringLiteral("答えを入力してENTERを押して下さい"), 13, Qt::white, 1);
}

void TestAnswers::layout()
{
    Program p;
    TForm5 *box = p.screens().answerBox;
    testsupport::checkLayoutRow(box);
    QCOMPARE(box->size(), QSize(330, 127));
    QVERIFY(box->Edit1->font().italic());
    QVERIFY(!box->Edit1->testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(box->palette().color(QPalette::Window), QColor(0, 0, 160));
    QVERIFY(box->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(box->focusWidget(), box->Edit1);

    TForm6 *verdict = p.screens().verdictBanner;
    QCOMPARE(verdict->Label1->font().pixelSize(), 267);
    QVERIFY(verdict->Label1->font().bold());
    QCOMPARE(textColour(verdict->Label1), QColor(Qt::white));
    QCOMPARE(verdict->Label1->y(), 16);
    QCOMPARE(verdict->palette().color(QPalette::Window), QColor(0, 0, 160));
    QCOMPARE(verdict->Timer1->interval(), 5000);
    // A coarse timer may fire up to 5 % early: the verdict would go after 4.75 s.
    QCOMPARE(verdict->Timer1->timerType(), Qt::PreciseTimer);
    QVERIFY(!verdict->Timer1->isActive());
}

void TestAnswers::keyFilter_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("field");
    QTest::newRow("digits") << "4711" << "4711";
    QTest::newRow("leading zero kept") << "0123" << "0123";
    QTest::newRow("letters swallowed") << "12a3b" << "123";
    QTest::newRow("signs and point swallowed") << "-5+6.7" << "567";
    QTest::newRow("space swallowed") << "7 8" << "78";
    QTest::newRow("full-width digits swallowed") << "１２3" << "3";
    QTest::newRow("largest value") << "2147483647" << "2147483647";
    QTest::newRow("digit that would go over the range refused") << "2147483648" << "214748364";
    QTest::newRow("eleventh digit refused") << "10000000000" << "1000000000";
}

void TestAnswers::keyFilter()
{
    QFETCH(QString, keys);
    QFETCH(QString, field);
    Program p;
    TForm5 *box = p.screens().answerBox;
    box->Show();
    testsupport::type(box->Edit1, keys);
    QCOMPARE(box->Edit1->text(), field);

    QTest::keyClick(box->Edit1, Qt::Key_Backspace);
    QCOMPARE(box->Edit1->text(), field.chopped(1));
    QVERIFY(box->isVisible());
    QCOMPARE(p.state().drill->answeredCount(), 0);
}

void TestAnswers::keysThatTypeNothing_data()
{
    // Key events as the window system delivers them: the key, its modifiers and the text it carries.
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << "\x1b";
    QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << "\t";
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier) << "\x16";
    QTest::newRow("Ctrl+Shift+V") << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::ShiftModifier) << "\x16";
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << "\x01";
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << "\x1a";
}

void TestAnswers::keysThatTypeNothing()
{
    // The key and everything it stands for (paste, select all, undo) are swallowed; the box stays.
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    Program p;
    TForm5 *box = p.screens().answerBox;
    box->Show();
    QTest::keyClicks(box->Edit1, QStringLiteral("12"));
    QGuiApplication::clipboard()->setText(QStringLiteral("9"));
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QCoreApplication::sendEvent(box->Edit1, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::KeyboardModifiers(modifiers), text);
    QCoreApplication::sendEvent(box->Edit1, &release);
    QTest::keyClick(box->Edit1, Qt::Key_3);
    QCOMPARE(box->Edit1->text(), QStringLiteral("123"));
    QVERIFY(box->isVisible());
    QCOMPARE(p.state().drill->answeredCount(), 0);
}

void TestAnswers::enterWithoutText_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("Return with its text") << int(Qt::Key_Return) << "\r";
    QTest::newRow("Return carrying no text") << int(Qt::Key_Return) << "";
    QTest::newRow("keypad Enter with its text") << int(Qt::Key_Enter) << "\r";
    QTest::newRow("keypad Enter carrying no text") << int(Qt::Key_Enter) << "";
}

void TestAnswers::enterWithoutText()
{
    // Some keyboards and input methods deliver Enter without text; it is still Enter.
    QFETCH(int, key);
    QFETCH(QString, text);
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    flashed(p, 1, 15);
    QTest::keyClicks(box->Edit1, QStringLiteral("15"));
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(box->Edit1, &press);
    QCOMPARE(p.state().drill->answeredCount(), 1);
    QCOMPARE(p.state().drill->correctCount(), 1);
    QCOMPARE(p.state().drill->typedAnswer(0), QStringLiteral("15"));
    QVERIFY(!box->isVisible());
    QCOMPARE(p.app().activeScreen(), p.screens().flashScreen);
}

void TestAnswers::otherWaysIn_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("incoming");
    QTest::addColumn<QString>("field");
    for (const char *way : {"paste", "shift+insert", "drop", "input method"}) {
        const QByteArray w(way);
        QTest::newRow(w + ": digits") << way << "12" << "34" << "1234";
        QTest::newRow(w + ": words") << way << "12" << "abc" << "12";
        QTest::newRow(w + ": digits with a space") << way << "" << " 15" << "";
        QTest::newRow(w + ": negative") << way << "" << "-15" << "";
        QTest::newRow(w + ": over the range") << way << "" << "2147483648" << "";
        QTest::newRow(w + ": over the range with what is there") << way << "2147" << "483648" << "2147";
        QTest::newRow(w + ": full-width digits") << way << "" << "１５" << "";
        // Refused whole, not cut to ten digits: "1234567890" is a number nobody typed.
        QTest::newRow(w + ": eleven digits") << way << "" << "12345678901" << "";
        QTest::newRow(w + ": eleven digits with what is there") << way << "12" << "345678901" << "12";
    }
}

void TestAnswers::otherWaysIn()
{
    QFETCH(QString, way);
    QFETCH(QString, before);
    QFETCH(QString, incoming);
    QFETCH(QString, field);
    Program p;
    TForm5 *box = p.screens().answerBox;
    box->Show();
    QTest::keyClicks(box->Edit1, before);
    QCOMPARE(box->Edit1->text(), before);
    box->Edit1->end(false);

    if (way == QLatin1String("paste") || way == QLatin1String("shift+insert")) {
        QGuiApplication::clipboard()->setText(incoming);
        QCOMPARE(QGuiApplication::clipboard()->text(), incoming);
        if (way == QLatin1String("paste"))
            box->Edit1->paste(); // what the context menu does
        else
            QTest::keyClick(box->Edit1, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (way == QLatin1String("drop")) {
        QMimeData mime;
        mime.setText(incoming);
        const QPointF at(box->Edit1->width() - 5, box->Edit1->height() / 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box->Edit1, &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box->Edit1, &drop);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(incoming);
        QCoreApplication::sendEvent(box->Edit1, &commit);
    }
    QCOMPARE(box->Edit1->text(), field);
}

void TestAnswers::refusedAtEnter_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("words") << "abc";
    QTest::newRow("over the range") << "2147483648";
    QTest::newRow("negative") << "-3";
}

void TestAnswers::refusedAtEnter()
{
    // Text put into the field past its validator is refused at Enter, and the question stays open.
    QFETCH(QString, text);
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    flashed(p, 1, 15);
    recorder().clear();
    box->Edit1->setText(text);
    QTest::keyClick(box->Edit1, Qt::Key_Return);

    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Warning);
    QVERIFY(box->isVisible());
    QCOMPARE(p.state().drill->answeredCount(), 0);
    QCOMPARE(p.state().drill->correctCount(), 0);
    QCOMPARE(p.state().drill->runningSum(), 15);
    QCOMPARE(p.state().drill->typedAnswer(0), QString());
    QCOMPARE(box->Edit1->text(), QString());
    QCOMPARE(recorder().count(sound::Cue::Countdown), 0);

    // The child answers again and the drill goes on.
    typeAnswer(box, QStringLiteral("15"));
    QCOMPARE(p.state().drill->answeredCount(), 1);
    QCOMPARE(p.state().drill->correctCount(), 1);
    QVERIFY(!box->isVisible());
}

void TestAnswers::emptyEnterDoesNothing()
{
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    flashed(p, 1, 15);
    recorder().clear();
    QTest::keyClick(box->Edit1, Qt::Key_Return);
    QTest::keyClick(box->Edit1, Qt::Key_Enter);
    QVERIFY(box->isVisible());
    QCOMPARE(p.app().activeScreen(), box);
    QCOMPARE(p.state().drill->answeredCount(), 0);
    QCOMPARE(p.state().drill->runningSum(), 15);
    QCOMPARE(box->Label2->text(), QStringLiteral("１問目"));
    QVERIFY(!p.screens().flashScreen->isEnabled());
    QVERIFY(recorder().sounds.isEmpty());
    QVERIFY(recorder().boxes.isEmpty());
}

void TestAnswers::showAndActivation()
{
    Program p;
    TForm5 *box = p.screens().answerBox;
    p.screens().mainMenu->Show();
    p.screens().gradeSelection->Show();
    p.screens().flashScreen->Show();
    for (Screen *s : std::initializer_list<Screen *>{p.screens().mainMenu, p.screens().gradeSelection, p.screens().flashScreen})
        s->setEnabled(true);
    box->Edit1->setText(QStringLiteral("99"));
    box->Show();
    QVERIFY(!p.screens().mainMenu->isEnabled());
    QVERIFY(!p.screens().gradeSelection->isEnabled());
    QVERIFY(!p.screens().flashScreen->isEnabled());
    QCOMPARE(box->Edit1->text(), QString());
}

void TestAnswers::oneAnswer()
{
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    TForm2 *flash = p.screens().flashScreen;
    flashed(p, 1, 15);
    QVERIFY(!flash->isEnabled());
    recorder().clear();
    typeAnswer(box, QStringLiteral("015"));

    QCOMPARE(p.state().drill->answeredCount(), 1);
    QCOMPARE(p.state().drill->correctCount(), 1); // by value
    QCOMPARE(p.state().drill->typedAnswer(0), QStringLiteral("015")); // as typed
    QCOMPARE(p.state().drill->runningSum(), 0);
    QCOMPARE(box->Label2->text(), QStringLiteral("2問目"));
    QCOMPARE(box->Edit1->text(), QString());
    QVERIFY(!box->isVisible());
    // The flash screen is enabled, re-armed and active again, counting down with its sound.
    QVERIFY(flash->isEnabled());
    QCOMPARE(p.app().activeScreen(), flash);
    auto *countdown = flash->findChild<QLabel *>(QStringLiteral("Label1"));
    auto *timer = flash->findChild<QTimer *>(QStringLiteral("Timer1"));
    QVERIFY(countdown && timer);
    QCOMPARE(countdown->text(), QStringLiteral("3"));
    QVERIFY(countdown->isVisibleTo(flash));
    QVERIFY(timer->isActive());
    QCOMPARE(recorder().count(sound::Cue::Countdown), 1);
    QVERIFY(!p.screens().mainMenu->isEnabled());
    QVERIFY(!p.screens().gradeSelection->isEnabled());
}

void TestAnswers::wholeDrill_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("rightByValue");
    QStringList all;
    for (int s : kSums)
        all << QString::number(s);
    QTest::newRow("ten right") << all << 10;
    QStringList eight = all;
    eight[0] = "51"; eight[9] = "1";
    QTest::newRow("eight right pass") << eight << 8;
    QStringList seven = eight;
    seven[3] = "3";
    QTest::newRow("seven right fail") << seven << 7;
    // 0123 for 123 is right by value: it makes the eighth right answer and the drill passes.
    QStringList zero = eight;
    zero[4] = "0123";
    QTest::newRow("0123 for 123 counts toward the pass") << zero << 8;
    QTest::newRow("none right") << QStringList(10, QStringLiteral("0")) << 0;
}

void TestAnswers::wholeDrill()
{
    QFETCH(QStringList, typed);
    QFETCH(int, rightByValue);
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    TForm6 *verdict = p.screens().verdictBanner;
    const QByteArray historyBefore = p.readFile(recordRelPath());

    for (int q = 1; q <= 10; ++q) {
        flashed(p, q, kSums[q - 1]);
        QCOMPARE(box->Label2->text(), q == 1 ? QStringLiteral("１問目") : QStringLiteral("%1問目").arg(q));
        recorder().clear();
        typeAnswer(box, typed[q - 1]);
        QCOMPARE(p.state().drill->typedAnswer(q - 1), typed[q - 1]);
        // The re-armed flash screen sounds its countdown after every answer but the tenth.
        QCOMPARE(recorder().count(sound::Cue::Countdown), q < 10 ? 1 : 0);
    }

    const QString expected = rightByValue >= 8 ? QStringLiteral("合格") : QStringLiteral("不合格");
    QCOMPARE(p.state().drill->verdict(), expected);
    QVERIFY(verdict->isVisible());
    QCOMPARE(p.app().activeScreen(), verdict);
    QCOMPARE(verdict->Label1->text(), expected);
    QCOMPARE(verdict->Label1->pos(), QPoint(rightByValue >= 8 ? 120 : 0, 16));
    QCOMPARE(textColour(verdict->Label1), QColor(Qt::white));
    QVERIFY(verdict->Label1->font().bold());
    QCOMPARE(verdict->Label1->font().pixelSize(), 267);
    QVERIFY(verdict->Timer1->isActive());
    // The drill is over: box and flash screen closed and reset, the screens beneath usable again.
    QVERIFY(!box->isVisible());
    QVERIFY(!p.screens().flashScreen->isVisible());
    QVERIFY(!p.app().isOpen(p.screens().flashScreen));
    auto *flashTimer = p.screens().flashScreen->findChild<QTimer *>(QStringLiteral("Timer1"));
    QVERIFY(flashTimer && !flashTimer->isActive());
    QCOMPARE(p.state().drill->answeredCount(), 0);
    QCOMPARE(p.state().drill->correctCount(), 0);
    QCOMPARE(p.state().drill->runningSum(), 0);
    QCOMPARE(box->Label2->text(), QStringLiteral("1問目"));
    QVERIFY(p.screens().mainMenu->isEnabled());
    QVERIFY(p.screens().gradeSelection->isEnabled());
    QVERIFY(p.screens().flashScreen->isEnabled());
    // The typed answers wait for the result sheet; nothing is recorded before it.
    for (int q = 1; q <= 10; ++q)
        QCOMPARE(p.state().drill->typedAnswer(q - 1), typed[q - 1]);
    QCOMPARE(p.readFile(recordRelPath()), historyBefore);
}

void TestAnswers::abandonedDrill_data()
{
    QTest::addColumn<bool>("byWindowSystem");
    QTest::newRow("answer box closed") << false;
    QTest::newRow("answer box closed by the window system") << true;
}

void TestAnswers::abandonedDrill()
{
    QFETCH(bool, byWindowSystem);
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    TForm2 *flash = p.screens().flashScreen;
    const QByteArray historyBefore = p.readFile(recordRelPath());
    for (int q = 1; q <= 3; ++q) {
        flashed(p, q, kSums[q - 1]);
        typeAnswer(box, QString::number(kSums[q - 1]));
    }
    flashed(p, 4, kSums[3]);
    QCOMPARE(box->Label2->text(), QStringLiteral("4問目"));
    QTest::keyClicks(box->Edit1, QStringLiteral("30"));
    recorder().clear();
    if (byWindowSystem)
        box->QWidget::close(); // taken as the program's own close
    else
        box->Close();

    QVERIFY(!box->isVisible());
    QVERIFY(!p.app().isOpen(box));
    QVERIFY(!p.app().isOpen(flash));
    QVERIFY(!flash->isVisible());
    QCOMPARE(box->Label2->text(), QStringLiteral("1問目"));
    QCOMPARE(p.state().drill->answeredCount(), 0);
    QCOMPARE(p.state().drill->correctCount(), 0);
    // The flash screen has been reset: no question under way, no countdown or hand-over pending.
    QCOMPARE(p.state().drill->questionNo(), 0);
    QCOMPARE(p.state().drill->runningSum(), 0);
    auto *countdown = flash->findChild<QTimer *>(QStringLiteral("Timer1"));
    auto *handOver = flash->findChild<QTimer *>(QStringLiteral("Timer4"));
    QVERIFY(countdown && handOver);
    QVERIFY(!countdown->isActive());
    QVERIFY(!handOver->isActive());
    QVERIFY(p.screens().mainMenu->isEnabled());
    QVERIFY(p.screens().gradeSelection->isEnabled());
    QVERIFY(flash->isEnabled());
    QCOMPARE(p.app().activeScreen(), p.screens().gradeSelection);
    QVERIFY(!p.screens().verdictBanner->isVisible());
    QVERIFY(!p.screens().resultSheet->isVisible());
    QVERIFY(recorder().sounds.isEmpty());
    QTest::qWait(50);
    QCOMPARE(p.readFile(recordRelPath()), historyBefore);

    // The next drill starts again at question 1: three right answers of the abandoned drill are gone.
    flash->Show();
    for (int q = 1; q <= 10; ++q) {
        flashed(p, q, kSums[q - 1]);
        typeAnswer(box, q <= 7 ? QString::number(kSums[q - 1]) : QStringLiteral("0"));
    }
    QCOMPARE(p.state().drill->verdict(), QStringLiteral("不合格"));
}

void TestAnswers::flashScreenClosedUnderTheBox()
{
    // The window system closes the flash screen (disabled as it is) while the child answers: the
    // drill is over, and the next Enter only takes the box away.
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    TForm2 *flash = p.screens().flashScreen;
    for (int q = 1; q <= 2; ++q) {
        flashed(p, q, kSums[q - 1]);
        typeAnswer(box, QString::number(kSums[q - 1]));
    }
    flashed(p, 3, kSums[2]);
    QTest::keyClicks(box->Edit1, QStringLiteral("8"));
    QVERIFY(!flash->isEnabled());
    flash->QWidget::close();
    QVERIFY(!p.app().isOpen(flash));
    QCOMPARE(p.state().drill->runningSum(), 0);

    recorder().clear();
    QTest::keyClick(box->Edit1, Qt::Key_Return);

    QVERIFY(!box->isVisible());
    QVERIFY(!p.app().isOpen(box));
    QVERIFY(!p.app().isOpen(flash));
    QVERIFY(!flash->isVisible());
    // Nothing judged, stored or re-armed: no countdown starts behind the child's back.
    auto *countdown = flash->findChild<QTimer *>(QStringLiteral("Timer1"));
    auto *handOver = flash->findChild<QTimer *>(QStringLiteral("Timer4"));
    QVERIFY(countdown && handOver);
    QVERIFY(!countdown->isActive());
    QVERIFY(!handOver->isActive());
    QCOMPARE(p.state().drill->answeredCount(), 0);
    QCOMPARE(p.state().drill->correctCount(), 0);
    QCOMPARE(p.state().drill->questionNo(), 0);
    QCOMPARE(p.state().drill->typedAnswer(2), QString());
    QCOMPARE(box->Label2->text(), QStringLiteral("1問目"));
    QVERIFY(p.screens().mainMenu->isEnabled());
    QVERIFY(p.screens().gradeSelection->isEnabled());
    QVERIFY(flash->isEnabled());
    QCOMPARE(p.app().activeScreen(), p.screens().gradeSelection);
    QVERIFY(!p.screens().verdictBanner->isVisible());
    QVERIFY(recorder().sounds.isEmpty());
    QVERIFY(recorder().boxes.isEmpty());
    QTest::qWait(1500); // a countdown tick that had been started would come within this
    QVERIFY(!flash->isVisible());
    QVERIFY(!box->isVisible());
    QCOMPARE(flash->Label1->text(), QStringLiteral("3"));
}

void TestAnswers::verdictKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<bool>("movesOn");
    QTest::newRow("Enter") << int(Qt::Key_Return) << false << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false << true;
    QTest::newRow("held Enter repeating") << int(Qt::Key_Return) << true << false;
    QTest::newRow("Space") << int(Qt::Key_Space) << false << false;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false << false;
    QTest::newRow("a letter") << int(Qt::Key_A) << false << false;
}

void TestAnswers::verdictKeys()
{
    QFETCH(int, key);
    QFETCH(bool, autoRepeat);
    QFETCH(bool, movesOn);
    Program p;
    TForm6 *verdict = p.screens().verdictBanner;
    TForm4 *sheet = p.screens().resultSheet;
    verdict->present(QStringLiteral("合格"), 120);
    QCOMPARE(verdict->Label1->pos(), QPoint(120, 16));
    QVERIFY(verdict->Timer1->isActive());

    const QString text = key == Qt::Key_Return || key == Qt::Key_Enter ? QStringLiteral("\r")
                       : key == Qt::Key_Space ? QStringLiteral(" ") : key == Qt::Key_A ? QStringLiteral("a")
                       : QStringLiteral("\x1b");
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, autoRepeat);
    QCoreApplication::sendEvent(verdict, &press);

    QCOMPARE(sheet->isVisible(), movesOn);
    QCOMPARE(verdict->isVisible(), !movesOn);
    QCOMPARE(verdict->Timer1->isActive(), !movesOn);
    QCOMPARE(sheet->Timer1->isActive(), movesOn);
    if (movesOn)
        QCOMPARE(p.app().activeScreen(), sheet);
}

void TestAnswers::verdictClosedOtherwise_data()
{
    QTest::addColumn<bool>("byWindowSystem");
    QTest::newRow("closed by the program") << false;
    QTest::newRow("closed by the window system") << true;
}

void TestAnswers::verdictClosedOtherwise()
{
    // Only its timer is stopped: no sheet, no line, also once the five seconds are past.
    QFETCH(bool, byWindowSystem);
    Program p;
    setUpChild(p);
    TForm6 *verdict = p.screens().verdictBanner;
    verdict->present(QStringLiteral("不合格"), 0);
    QCOMPARE(verdict->Label1->pos(), QPoint(0, 16));
    if (byWindowSystem)
        verdict->QWidget::close();
    else
        verdict->Close();
    QVERIFY(!verdict->isVisible());
    QVERIFY(!verdict->Timer1->isActive());
    QTest::qWait(5500);
    QVERIFY(!p.screens().resultSheet->isVisible());
    QVERIFY(!p.screens().resultSheet->Timer1->isActive());
    QCOMPARE(p.readFile(recordRelPath()), cp932Lines({userstore::recordHeader()}));
}

void TestAnswers::finishedDrillIsRecordedOnQuit_data()
{
    QTest::addColumn<QString>("when");   // when the program ends
    QTest::addColumn<int>("linesAdded");
    QTest::newRow("during the verdict screen") << "verdict" << 1;
    QTest::newRow("sheet shown, before its fill") << "before fill" << 1;
    QTest::newRow("after the sheet appended") << "after fill" << 1;
    QTest::newRow("in the middle of a drill") << "mid-drill" << 0;
}

void TestAnswers::finishedDrillIsRecordedOnQuit()
{
    // The program ends (おわる, the close command and the signals all close the main menu) after
    // the tenth answer: the drill's line is written once, whether or not the sheet got to it.
    QFETCH(QString, when);
    QFETCH(int, linesAdded);
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    TForm4 *sheet = p.screens().resultSheet;
    sheet->setDateSource([] { return QDate(2004, 7, 5); });
    const int answered = when == QLatin1String("mid-drill") ? 6 : 10;
    for (int q = 1; q <= answered; ++q) {
        flashed(p, q, kSums[q - 1]);
        typeAnswer(box, q == 3 ? QStringLiteral("1") : QString::number(kSums[q - 1]));
    }
    if (when == QLatin1String("before fill") || when == QLatin1String("after fill"))
        QTest::keyClick(p.screens().verdictBanner, Qt::Key_Return);
    if (when == QLatin1String("after fill"))
        QTRY_VERIFY_WITH_TIMEOUT(p.readFile(recordRelPath()).count("\r\n") == 2, 2000);
    recorder().clear();
    p.screens().mainMenu->Close();
    QTest::qWait(50); // a fill still pending would append now
    QStringList expected{userstore::recordHeader()};
    if (linesAdded)
        expected << QStringLiteral("１０級,2004/7/05,9,1,合格");
    QCOMPARE(p.readFile(recordRelPath()), cp932Lines(expected));
    QVERIFY(recorder().boxes.isEmpty());
}

void TestAnswers::drillEndToEndInRealTime()
{
    // The tenth answer, the verdict screen's own five seconds, the sheet's fill, one line appended.
    Program p;
    setUpChild(p);
    TForm5 *box = p.screens().answerBox;
    TForm4 *sheet = p.screens().resultSheet;
    sheet->setDateSource([] { return QDate(2004, 7, 5); });
    QElapsedTimer sinceTenth;
    for (int q = 1; q <= 10; ++q) {
        flashed(p, q, kSums[q - 1]);
        if (q == 10)
            sinceTenth.start();
        typeAnswer(box, q == 5 ? QStringLiteral("0123") : q == 9 ? QStringLiteral("61")
                                                                 : QString::number(kSums[q - 1]));
    }
    QVERIFY(p.screens().verdictBanner->isVisible());
    QVERIFY(!sheet->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(sheet->isVisible(), 20000);
    // The verdict stays its whole five seconds; late is harmless, early is not.
    QVERIFY2(sinceTenth.elapsed() >= 5000, qPrintable(QString::number(sinceTenth.elapsed())));
    QVERIFY(!p.screens().verdictBanner->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!sheet->Timer1->isActive(), 10000);
    QTest::qWait(200);
    // Passed with nine right by value; the sheet marks 0123 wrong, so the line says 8 and 2.
    QCOMPARE(p.readFile(recordRelPath()),
             cp932Lines({userstore::recordHeader(), QStringLiteral("１０級,2004/7/05,8,2,合格")}));
    QCOMPARE(sheet->findChild<QLabel *>(TForm4::markCellName(5))->text(), QStringLiteral("×"));
    QCOMPARE(sheet->findChild<QLabel *>(TForm4::typedCellName(5))->text(), QStringLiteral("0123"));
    QCOMPARE(sheet->findChild<QLabel *>(TForm4::answerCellName(5))->text(), QStringLiteral("123"));
    QVERIFY(recorder().boxes.isEmpty());

    QTest::mouseClick(sheet->Label46, Qt::LeftButton);
    QCOMPARE(p.app().activeScreen(), static_cast<Screen *>(p.screens().gradeSelection));
}

PZ_GUI_TEST_MAIN(TestAnswers)
#include "tst_answers.moc"
