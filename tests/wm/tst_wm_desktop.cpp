// The program under a real window manager (openbox on Xvfb, started by with-openbox.sh), driven by
// the real pointer and keyboard through xdotool: whatever the child clicks, the active screen stays
// on top and keeps the keyboard.
#include "support/testmain.h"

#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/success.h"
#include "platform/x11window.h"
#include "users/regist.h"
#include "shell/CuteBtn.h"
#include "drill/option.h"
#include "drill/start.h"
#include "shell/main.h"
#include "platform/textfile.h"
#include "users/userstore.h"
#include "users/usrselect.h"
#include "shell/widgets.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProcess>

using testsupport::Program;
using testsupport::recorder;

namespace {
// Runs xdotool with these arguments; false (with its output in the log) when it fails.
bool xdo(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(5000) || p.exitCode() != 0) {
        qWarning() << "xdotool" << args << "failed:" << p.readAllStandardError();
        return false;
    }
    return true;
}
// A real click of `button` at a point of the screen; the events it causes are handled before return.
bool clickAt(QPoint global, int button = 1)
{
    const bool ok = xdo({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
                         QStringLiteral("click"), QString::number(button)});
    QTest::qWait(300);
    return ok;
}
bool clickOn(QWidget *w) { return clickAt(w->mapToGlobal(w->rect().center())); }
// Real key presses to whichever window has the X input focus.
bool typeText(const QString &text)
{
    const bool ok = xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    QTest::qWait(200);
    return ok;
}
bool pressKey(const char *keysym)
{
    const bool ok = xdo({QStringLiteral("key"), QString::fromLatin1(keysym)});
    QTest::qWait(200);
    return ok;
}

// The program's visible top-level windows, bottom to top, as the window manager stacks them.
QList<QWidget *> stacking()
{
    QProcess p;
    p.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    p.waitForFinished(5000);
    const QString out = QString::fromLatin1(p.readAllStandardOutput());
    QList<QWidget *> order;
    const QString ids = out.section(QLatin1Char('#'), 1);
    for (const QString &id : ids.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const WId wid = id.trimmed().toULongLong(&ok, 16);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (ok && w->isVisible() && w->internalWinId() == wid)
                order << w;
    }
    return order;
}
QWidget *topmost()
{
    const QList<QWidget *> order = stacking();
    return order.isEmpty() ? nullptr : order.last();
}
QWidget *focusWidget()
{
    QWindow *w = QGuiApplication::focusWindow();
    for (QWidget *t : QApplication::topLevelWidgets())
        if (w && t->windowHandle() == w)
            return t;
    return nullptr;
}

// Steps run one after another from a timer, so that they go on inside the nested loop of a modal
// box that one of them opened. What they see is kept for the test to check afterwards.
class Script : public QObject {
public:
    explicit Script(int gapMs) { timer_.setInterval(gapMs); connect(&timer_, &QTimer::timeout, this, [this] { next(); }); }
    void add(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void start() { timer_.start(); }
    bool done() const { return at_ >= steps_.size(); }
private:
    void next()
    {
        if (done()) {
            timer_.stop();
            return;
        }
        auto step = steps_[at_++]; // a step may run a nested loop in which the next ones run
        step();
    }
    QTimer timer_;
    std::vector<std::function<void()>> steps_;
    size_t at_ = 0;
};

// Real message boxes for the length of a test (the recorder answers them elsewhere).
struct RealBoxes {
    RealBoxes() { dialogs::setHook({}); }
    ~RealBoxes() { testsupport::install(); }
};

void addUser(Program &p, const QString &name, const QByteArray &password)
{
    p.writeFile(QStringLiteral("user/") + name + QStringLiteral(".dat"), textfile::encode(userstore::recordHeader()) + "\r\n");
    p.writeFile(QStringLiteral("user/") + name + QStringLiteral(".psw"), password + "\r\n");
}
QString names(const QList<QWidget *> &ws)
{
    QStringList n;
    for (QWidget *w : ws)
        n << QString::fromLatin1(w->metaObject()->className());
    return n.join(QLatin1Char(' '));
}

// A screen of each kind the window rules treat apart, shown on its own.
class Probe : public Screen {
public:
    explicit Probe(Kind kind, QSize size = QSize(433, 182), QPoint pos = QPoint(175, 177))
        : Screen({QStringLiteral("probe"), kind, size, pos})
    {
    }
};

// Ten questions answered through the real keyboard, with a click somewhere on the blank flash screen
// before each answer; questions 3 and 7 wrong.
const QList<QPoint> kWander = {{100, 100}, {700, 500}, {400, 40}, {40, 560}, {760, 300},
                               {250, 450}, {600, 120}, {120, 330}, {500, 560}, {780, 20}};

bool onTop(QWidget *w) { return topmost() == w && focusWidget() == w; }
} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run by with-openbox.sh");
        QVERIFY2(stacking().isEmpty() && QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) == 0,
                 "xdotool and a window manager that keeps _NET_CLIENT_LIST_STACKING");
    }
    void cleanup() { QTest::qWait(200); } // the window manager forgets the last test's windows

    void clickOnTheFlashScreenKeepsTheAnswerBox();
    void clickOnTheMenuUnderAWarningKeepsTheLoginDialog();
    void clickOnTheMenuBehindTheLoginDialogActivatesTheMenu();
    void windowHints();
    void sizeableDialogHasItsOuterSize();
    void buttonHeldWhileThePointerLeaves();
    void roadOfOneDrillWithTheMouseWandering();
};

// The answer box is up over the disabled flash screen; the child clicks the white screen around it.
void TestDesktop::clickOnTheFlashScreenKeepsTheAnswerBox()
{
    Program p;
    QStringList lines = settings::defaultSettingsLines();
    lines[1] = "2";
    lines[2] = "1";
    p.writeSettings(lines);
    Screens &s = p.screens();
    s.form1->Show();
    s.form1->setLoggedIn(true);
    QVERIFY(QTest::qWaitForWindowExposed(s.form1));
    QTest::qWait(300);
    QVERIFY(clickOn(s.form1->Label3));
    QTRY_VERIFY_WITH_TIMEOUT(s.form3->isVisible(), 3000);
    QVERIFY(QTest::qWaitForWindowExposed(s.form3));
    QTest::qWait(300);
    QVERIFY(clickOn(s.form3->findChild<QWidget *>("Label1")));
    QTRY_VERIFY_WITH_TIMEOUT(s.form5->isVisible(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.form5), 3000);
    QVERIFY(!s.form2->isEnabled());

    for (QPoint at : {QPoint(100, 100), QPoint(700, 550)}) {
        QVERIFY(clickAt(at));
        QTRY_VERIFY2_WITH_TIMEOUT(onTop(s.form5), qPrintable(names(stacking()) + " focus " + names({focusWidget()})), 3000);
    }
    const int sum = p.state().drill.runningSum();
    QVERIFY(typeText(QString::number(sum)));
    QCOMPARE(s.form5->Edit1->text(), QString::number(sum));
    QVERIFY(pressKey("Return"));
    QCOMPARE(p.state().drill.answeredCount(), 1);
    QVERIFY(!s.form5->isVisible());
}

// A wrong password opens the warning; the child clicks the main menu beside the login dialog, then OK.
void TestDesktop::clickOnTheMenuUnderAWarningKeepsTheLoginDialog()
{
    Program p;
    RealBoxes real;
    addUser(p, QStringLiteral("taro"), "pass1");
    Screens &s = p.screens();
    s.form1->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form1));
    QTest::qWait(300);
    QVERIFY(clickOn(s.form1->Label6));
    QTRY_VERIFY_WITH_TIMEOUT(s.form9->isVisible(), 3000);
    QVERIFY(QTest::qWaitForWindowExposed(s.form9));
    QTest::qWait(300);
    QListWidget *list = s.form9->ListBox1;
    QCOMPARE(list->count(), 1);
    QVERIFY(clickAt(list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).center())));
    QTRY_COMPARE_WITH_TIMEOUT(list->selectedItems().size(), 1, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(s.form9->Edit1->hasFocus(), 2000);
    QVERIFY(typeText(QStringLiteral("wrong")));

    QString boxUp, afterClick, afterOk;
    const auto seen = [] { return names(stacking()) + " focus " + names({focusWidget()}); };
    Script script(700);
    script.add([] { xdo({QStringLiteral("key"), QStringLiteral("Return")}); }); // the warning opens
    script.add([&] { boxUp = seen(); });
    script.add([&] { clickAt(QPoint(700, 560)); }); // the main menu, beside every item
    script.add([&] { afterClick = seen(); });
    script.add([] { xdo({QStringLiteral("key"), QStringLiteral("Return")}); }); // OK
    script.add([&] { afterOk = seen(); });
    script.start();
    QTRY_VERIFY_WITH_TIMEOUT(script.done(), 15000);
    QCOMPARE(boxUp, QStringLiteral("TForm1 TForm9 QMessageBox focus QMessageBox"));
    QCOMPARE(afterClick, QStringLiteral("TForm1 TForm9 QMessageBox focus QMessageBox"));
    QCOMPARE(afterOk, QStringLiteral("TForm1 TForm9 focus TForm9"));
    QCOMPARE(p.app().activeScreen(), s.form9);
    // The name is still chosen; a click on it gives the keyboard to the password field again, and
    // the right password logs in.
    QCOMPARE(list->selectedItems().size(), 1);
    QVERIFY(clickAt(list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).center())));
    QTRY_VERIFY_WITH_TIMEOUT(s.form9->Edit1->hasFocus(), 2000);
    QVERIFY(typeText(QStringLiteral("pass1")));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(p.state().loggedIn, 2000);
    QVERIFY(!s.form9->isVisible());
}

// Without a box the main menu takes the click: it becomes the active screen with the keyboard, and
// the login dialog, which belongs to it, stays in sight above it until the child comes back to it.
void TestDesktop::clickOnTheMenuBehindTheLoginDialogActivatesTheMenu()
{
    Program p;
    addUser(p, QStringLiteral("taro"), "pass1");
    Screens &s = p.screens();
    s.form1->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form1));
    QTest::qWait(300);
    QVERIFY(clickOn(s.form1->Label6));
    QTRY_VERIFY_WITH_TIMEOUT(s.form9->isVisible(), 3000);
    QVERIFY(QTest::qWaitForWindowExposed(s.form9));
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.form9), 3000);
    QVERIFY(clickAt(QPoint(700, 560)));
    QTRY_COMPARE_WITH_TIMEOUT(focusWidget(), s.form1, 3000);
    QCOMPARE(p.app().activeScreen(), s.form1);
    QCOMPARE(names(stacking()), QStringLiteral("TForm1 TForm9"));
    QVERIFY(clickOn(s.form9->Edit1));
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.form9), 3000);
    QCOMPARE(p.app().activeScreen(), s.form9);
}

// One taskbar entry (the main menu's, with the program's title); the class a desktop file matches;
// dialogs and panels belong to the screen that opened them.
void TestDesktop::windowHints()
{
    Program p;
    Screens &s = p.screens();
    s.form1->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form1));
    s.form9->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form9));
    QTest::qWait(300);

    const x11window::Properties menu = x11window::properties(s.form1);
    QCOMPARE(menu.className, QByteArray("pikazan"));
    QCOMPARE(menu.iconName, QStringLiteral("pikazan"));
    QCOMPARE(menu.name, QStringLiteral("検定用ぴかざん"));
    QVERIFY2(!menu.state.contains("_NET_WM_STATE_SKIP_TASKBAR"), menu.state.join(' ').constData());
    QVERIFY(menu.state.contains("_NET_WM_STATE_ABOVE"));
    QCOMPARE(s.form1->windowTitle(), QStringLiteral("main")); // the screen's own title is kept

    const x11window::Properties login = x11window::properties(s.form9);
    QVERIFY2(login.state.contains("_NET_WM_STATE_SKIP_TASKBAR"), login.state.join(' ').constData());
    QVERIFY(login.state.contains("_NET_WM_STATE_ABOVE"));
    QCOMPARE(login.transientFor, (unsigned long)s.form1->winId());
    QCOMPARE(login.className, QByteArray("pikazan"));

    // Shown a second time: the window manager dropped the state when the window was withdrawn.
    s.form9->Close();
    QTest::qWait(300);
    s.form9->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form9));
    QTest::qWait(300);
    QVERIFY(x11window::properties(s.form9).state.contains("_NET_WM_STATE_SKIP_TASKBAR"));
    // A full screen over the menu is a peer, not its transient.
    s.form9->Close();
    s.form3->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form3));
    QCOMPARE(x11window::properties(s.form3).transientFor, 0ul);
}

void TestDesktop::sizeableDialogHasItsOuterSize()
{
    Probe owner(Screen::Kind::FullScreen);
    owner.create();
    owner.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    Probe d(Screen::Kind::SizeableDialog);
    d.create();
    d.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    // The frame the window manager drew (title bar and borders) is inside the 433x182.
    QTRY_COMPARE_WITH_TIMEOUT(d.frameGeometry().size(), QSize(433, 182), 3000);
    QVERIFY(d.size().height() < 182 - 10);
    QCOMPARE(d.frameGeometry().topLeft(), QPoint(175, 177));
    d.Close();
    owner.Close();
}

// The registration's とじる pressed with the real pointer, which then leaves the button while held.
void TestDesktop::buttonHeldWhileThePointerLeaves()
{
    Program p;
    Screens &s = p.screens();
    s.form1->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form1));
    QTest::qWait(300);
    QVERIFY(clickOn(s.form1->Label1));
    QTRY_VERIFY_WITH_TIMEOUT(s.form7->isVisible() && onTop(s.form7), 3000);
    TCuteButton *b = s.form7->CuteButton2;
    const QPoint in = b->mapToGlobal(b->rect().center());
    const QPoint out = b->mapToGlobal(QPoint(b->width() / 2, -40)); // on the dialog, above the button
    QVERIFY(xdo({QStringLiteral("mousemove"), QString::number(in.x()), QString::number(in.y()), QStringLiteral("mousedown"), QStringLiteral("1")}));
    QTRY_COMPARE_WITH_TIMEOUT(b->BevelOuter(), TCuteButton::BevelCut::Lowered, 2000);
    QVERIFY(xdo({QStringLiteral("mousemove"), QString::number(out.x()), QString::number(out.y())}));
    QTest::qWait(300);
    QCOMPARE(b->BevelOuter(), TCuteButton::BevelCut::Lowered); // still pressed: it has the focus
    QVERIFY(xdo({QStringLiteral("mouseup"), QStringLiteral("1")}));
    QTRY_COMPARE_WITH_TIMEOUT(b->BevelOuter(), TCuteButton::BevelCut::Raised, 2000);
    QVERIFY(s.form7->isVisible()); // released outside: no click
    QVERIFY(clickAt(in));
    QTRY_VERIFY_WITH_TIMEOUT(!s.form7->isVisible(), 2000);
}

// Register, log in, practise 10級 and see the result, with real clicks and keys, the pointer
// wandering over the flash screen and the verdict.
void TestDesktop::roadOfOneDrillWithTheMouseWandering()
{
    Program p;
    QStringList lines = settings::defaultSettingsLines();
    lines[1] = "2"; // 10級: 1 digit, 2 numbers over 1 second
    lines[2] = "1";
    p.writeSettings(lines);
    Screens &s = p.screens();
    s.form1->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form1));
    QTest::qWait(300);

    // Register.
    QVERIFY(clickOn(s.form1->Label1));
    QTRY_VERIFY_WITH_TIMEOUT(s.form7->isVisible() && onTop(s.form7), 3000);
    QVERIFY(clickOn(s.form7->Edit1));
    QVERIFY(typeText(QStringLiteral("hanako")));
    QVERIFY(clickOn(s.form7->Edit2));
    QVERIFY(typeText(QStringLiteral("pass1")));
    QVERIFY(clickOn(s.form7->CuteButton1));
    QTRY_COMPARE_WITH_TIMEOUT(recorder().texts(), QStringList{QStringLiteral("登録しました")}, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!s.form7->isVisible(), 3000);

    // Log in.
    QVERIFY(clickOn(s.form1->Label6));
    QTRY_VERIFY_WITH_TIMEOUT(s.form9->isVisible() && onTop(s.form9), 3000);
    QListWidget *list = s.form9->ListBox1;
    QCOMPARE(list->count(), 1);
    QVERIFY(clickAt(list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).center())));
    QTRY_VERIFY_WITH_TIMEOUT(s.form9->Edit1->hasFocus(), 2000);
    QVERIFY(typeText(QStringLiteral("pass1")));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(p.state().loggedIn && !s.form9->isVisible(), 3000);

    // Practise 10級.
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.form1), 3000);
    QVERIFY(clickOn(s.form1->Label3));
    QTRY_VERIFY_WITH_TIMEOUT(s.form3->isVisible() && onTop(s.form3), 3000);
    QVERIFY(clickOn(s.form3->findChild<QWidget *>("Label1")));
    QTRY_VERIFY_WITH_TIMEOUT(s.form2->isVisible(), 5000);
    QVERIFY(clickAt(QPoint(400, 300))); // on the flash screen while it counts down: nothing happens

    for (int q = 1; q <= 10; ++q) {
        QTRY_VERIFY_WITH_TIMEOUT(s.form5->isVisible(), 15000);
        QTRY_VERIFY2_WITH_TIMEOUT(onTop(s.form5), qPrintable(QStringLiteral("question %1: ").arg(q) + names(stacking())
                                                             + " focus " + names({focusWidget()})), 3000);
        QVERIFY(clickAt(kWander[q - 1]));
        QTRY_VERIFY2_WITH_TIMEOUT(onTop(s.form5), qPrintable(QStringLiteral("question %1 after a click: ").arg(q)
                                                             + names(stacking()) + " focus " + names({focusWidget()})), 3000);
        const int sum = p.state().drill.runningSum();
        QVERIFY(typeText(QString::number((q == 3 || q == 7) ? sum + 1 : sum)));
        QVERIFY(pressKey("Return"));
        QTRY_VERIFY_WITH_TIMEOUT(!s.form5->isVisible(), 2000);
    }

    QTRY_VERIFY_WITH_TIMEOUT(s.form6->isVisible() && onTop(s.form6), 3000);
    QCOMPARE(p.state().drill.verdict(), QStringLiteral("合格"));
    QVERIFY(clickAt(QPoint(700, 500)));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(s.form4->isVisible() && onTop(s.form4), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(p.readFile("user/hanako.dat").count("\r\n") == 2, 5000);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/M/dd"));
    QVERIFY(p.readFile("user/hanako.dat").endsWith(textfile::encode(QStringLiteral("１０級,%1,8,2,合格").arg(today)) + "\r\n"));

    QVERIFY(clickOn(s.form4->Label46));
    QTRY_VERIFY_WITH_TIMEOUT(!s.form4->isVisible() && onTop(s.form3), 3000);
    QCOMPARE(p.app().activeScreen(), s.form3);
}

PZ_GUI_TEST_MAIN(TestDesktop)
#include "tst_wm_desktop.moc"
