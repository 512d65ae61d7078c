// The program under a real window manager (openbox on Xvfb, started by with-openbox.sh), driven by
// the real pointer and keyboard through xdotool: whatever the child clicks, the active screen stays
// on top and keeps the keyboard.
#include "support/testmain.h"
#include "drill/drillsession.h"
#include "xdesktop.h"

#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/success.h"
#include "platform/x11window.h"
#include "users/regist.h"
#include "kit/CuteBtn.h"
#include "drill/option.h"
#include "drill/start.h"
#include "shell/main.h"
#include "platform/textfile.h"
#include "users/userstore.h"
#include "users/usrselect.h"
#include "users/delkakunin.h"
#include "users/masterpass.h"
#include "users/mstgtpass.h"
#include "records/mastergate.h"
#include "kit/widgets.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using testsupport::Program;
using testsupport::recorder;

using namespace xdesktop;

namespace {
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

// The program's screen of this class.
Screen *screenNamed(const QString &className)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *s = qobject_cast<Screen *>(w); s && QLatin1String(s->metaObject()->className()) == className)
            return s;
    return nullptr;
}

// The Motif hints of a window, read back with xprop: flags, functions, decorations.
struct Motif {
    unsigned long flags = 0, functions = 0, decorations = 0;
};
Motif motifHints(QWidget *w)
{
    const QStringList fields = xprop(w->winId(), "_MOTIF_WM_HINTS").section(QLatin1Char('='), 1).split(QLatin1Char(','));
    Motif m;
    if (fields.size() >= 3) {
        m.flags = fields[0].trimmed().toULong(nullptr, 16);
        m.functions = fields[1].trimmed().toULong(nullptr, 16);
        m.decorations = fields[2].trimmed().toULong(nullptr, 16);
    }
    return m;
}
bool iconic(QWidget *w) { return xprop(w->winId(), "WM_STATE").contains(QLatin1String("Iconic")); }
// Minimised as the window manager's minimise box or command does it.
bool minimise(QWidget *w) { return xdo({QStringLiteral("windowminimize"), QString::number(w->winId())}); }
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
    void fixedWindowsCannotBeResizedOrMinimised_data();
    void fixedWindowsCannotBeResizedOrMinimised();
    void minimisedDialogComesBack_data();
    void minimisedDialogComesBack();
    void minimisedModalDialogComesBack();
    void deletionErrorShowsOverTheTeachersScreen();
    void confirmationKeepsTheTeachersSize();
    void buttonHeldWhileThePointerLeaves();
    void registrationClosesAfterItsBox_data();
    void registrationClosesAfterItsBox();
    void roadOfOneDrillWithTheMouseWandering();
};

// The answer box is up over the disabled flash screen; the child clicks the white screen around it.
void TestDesktop::clickOnTheFlashScreenKeepsTheAnswerBox()
{
    Program p;
    p.writeQuickTenthGrade();
    Screens &s = p.screens();
    s.mainMenu->Show();
    s.mainMenu->setLoggedIn(true);
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    QTest::qWait(300);
    QVERIFY(clickOn(s.mainMenu->Label3));
    QTRY_VERIFY_WITH_TIMEOUT(s.gradeSelection->isVisible(), 3000);
    QVERIFY(QTest::qWaitForWindowExposed(s.gradeSelection));
    QTest::qWait(300);
    QVERIFY(clickOn(s.gradeSelection->findChild<QWidget *>("Label1")));
    QTRY_VERIFY_WITH_TIMEOUT(s.answerBox->isVisible(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.answerBox), 3000);
    QVERIFY(!s.flashScreen->isEnabled());

    for (QPoint at : {QPoint(100, 100), QPoint(700, 550)}) {
        QVERIFY(clickAt(at));
        QTRY_VERIFY2_WITH_TIMEOUT(onTop(s.answerBox), qPrintable(names(stacking()) + " focus " + names({focusWidget()})), 3000);
    }
    const int sum = p.state().drill->runningSum();
    QVERIFY(typeText(QString::number(sum)));
    QCOMPARE(s.answerBox->Edit1->text(), QString::number(sum));
    QVERIFY(pressKey("Return"));
    QCOMPARE(p.state().drill->answeredCount(), 1);
    QVERIFY(!s.answerBox->isVisible());
}

// A wrong password opens the warning; the child clicks the main menu beside the login dialog, then OK.
void TestDesktop::clickOnTheMenuUnderAWarningKeepsTheLoginDialog()
{
    Program p;
    RealBoxes real;
    addUser(p, QStringLiteral("taro"), {}, "pass1\r\n");
    Screens &s = p.screens();
    s.mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    QTest::qWait(300);
    QVERIFY(clickOn(s.mainMenu->Label6));
    QTRY_VERIFY_WITH_TIMEOUT(s.login->isVisible(), 3000);
    QVERIFY(QTest::qWaitForWindowExposed(s.login));
    QTest::qWait(300);
    QListWidget *list = s.login->ListBox1;
    QCOMPARE(list->count(), 1);
    QVERIFY(clickAt(list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).center())));
    QTRY_COMPARE_WITH_TIMEOUT(list->selectedItems().size(), 1, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(s.login->Edit1->hasFocus(), 2000);
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
    QCOMPARE(p.app().activeScreen(), s.login);
    // The name is still chosen; a click on it gives the keyboard to the password field again, and
    // the right password logs in.
    QCOMPARE(list->selectedItems().size(), 1);
    QVERIFY(clickAt(list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).center())));
    QTRY_VERIFY_WITH_TIMEOUT(s.login->Edit1->hasFocus(), 2000);
    QVERIFY(typeText(QStringLiteral("pass1")));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(p.state().loggedIn, 2000);
    QVERIFY(!s.login->isVisible());
}

// Without a box the main menu takes the click: it becomes the active screen with the keyboard, and
// the login dialog, which belongs to it, stays in sight above it until the child comes back to it.
void TestDesktop::clickOnTheMenuBehindTheLoginDialogActivatesTheMenu()
{
    Program p;
    addUser(p, QStringLiteral("taro"), {}, "pass1\r\n");
    Screens &s = p.screens();
    s.mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    QTest::qWait(300);
    QVERIFY(clickOn(s.mainMenu->Label6));
    QTRY_VERIFY_WITH_TIMEOUT(s.login->isVisible(), 3000);
    QVERIFY(QTest::qWaitForWindowExposed(s.login));
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.login), 3000);
    QVERIFY(clickAt(QPoint(700, 560)));
    QTRY_COMPARE_WITH_TIMEOUT(focusWidget(), s.mainMenu, 3000);
    QCOMPARE(p.app().activeScreen(), s.mainMenu);
    QCOMPARE(names(stacking()), QStringLiteral("TForm1 TForm9"));
    QVERIFY(clickOn(s.login->Edit1));
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.login), 3000);
    QCOMPARE(p.app().activeScreen(), s.login);
}

// One taskbar entry (the main menu's, with the program's title); the class a desktop file matches;
// dialogs and panels belong to the screen that opened them.
void TestDesktop::windowHints()
{
    Program p;
    Screens &s = p.screens();
    s.mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    s.login->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.login));
    QTest::qWait(300);

    const x11window::Properties menu = x11window::properties(s.mainMenu);
    QCOMPARE(menu.className, QByteArray("pikazan"));
    QCOMPARE(menu.iconName, QStringLiteral("pikazan"));
    QCOMPARE(menu.name, QStringLiteral("検定用ぴかざん"));
    QVERIFY2(!menu.state.contains("_NET_WM_STATE_SKIP_TASKBAR"), menu.state.join(' ').constData());
    QVERIFY(menu.state.contains("_NET_WM_STATE_ABOVE"));
    QCOMPARE(s.mainMenu->windowTitle(), QStringLiteral("main")); // the screen's own title is kept

    const x11window::Properties login = x11window::properties(s.login);
    QVERIFY2(login.state.contains("_NET_WM_STATE_SKIP_TASKBAR"), login.state.join(' ').constData());
    QVERIFY(login.state.contains("_NET_WM_STATE_ABOVE"));
    QCOMPARE(login.transientFor, (unsigned long)s.mainMenu->winId());
    QCOMPARE(login.className, QByteArray("pikazan"));

    // Shown a second time: the window manager dropped the state when the window was withdrawn.
    s.login->Close();
    QTest::qWait(300);
    s.login->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.login));
    QTest::qWait(300);
    QVERIFY(x11window::properties(s.login).state.contains("_NET_WM_STATE_SKIP_TASKBAR"));
    // A full screen over the menu is a peer, not its transient.
    s.login->Close();
    s.gradeSelection->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.gradeSelection));
    QCOMPARE(x11window::properties(s.gradeSelection).transientFor, 0ul);
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

void TestDesktop::fixedWindowsCannotBeResizedOrMinimised_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<bool>("framed");
    QTest::newRow("TForm7 registration") << "TForm7" << true;
    QTest::newRow("TForm9 login") << "TForm9" << true;
    QTest::newRow("TForm10 deletion") << "TForm10" << true;
    QTest::newRow("TForm12 master password creation") << "TForm12" << true;
    QTest::newRow("TForm14 master password entry") << "TForm14" << true;
    QTest::newRow("TForm5 answer box (panel)") << "TForm5" << false;
}

// What the window manager is told, read back from the X server: moved and closed only; a frame with
// a title but no minimise, maximise or resize decoration; a panel undecorated.
void TestDesktop::fixedWindowsCannotBeResizedOrMinimised()
{
    QFETCH(QString, screen);
    QFETCH(bool, framed);
    enum : unsigned long { Functions = 1, Decorations = 2 };
    enum : unsigned long { FuncMove = 4, FuncClose = 32 };
    enum : unsigned long { DecorBorder = 2, DecorTitle = 8, DecorMenu = 16 };
    Program p;
    p.screens().mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(p.screens().mainMenu));
    Screen *s = screenNamed(screen);
    QVERIFY(s);
    s->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s));
    for (int showing = 1; showing <= 2; ++showing) { // the hints are set again at every showing
        const Motif m = motifHints(s);
        QCOMPARE(m.flags, Functions | Decorations);
        QCOMPARE(m.functions, FuncMove | FuncClose);
        QCOMPARE(m.decorations, framed ? DecorBorder | DecorTitle | DecorMenu : 0ul);
        s->Close();
        QTest::qWait(200);
        s->Show();
        QVERIFY(QTest::qWaitForWindowExposed(s));
    }
    s->Close();
}

void TestDesktop::minimisedDialogComesBack_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("menuItem"); // the main menu's caption that opens it
    QTest::addColumn<QString>("field");    // the field that must have the keyboard, if any
    QTest::newRow("TForm14 by 先生用") << "TForm14" << "Label7" << "Edit1";
    QTest::newRow("TForm7 by とうろくする") << "TForm7" << "Label1" << "Edit1";
    QTest::newRow("TForm3 (full screen) by れんしゅうする") << "TForm3" << "Label3" << "";
}

// The window manager's minimise box (openbox shows one whatever the hints say): the dialog comes
// back at once, and opening it again from the menu finds it in sight with the keyboard.
void TestDesktop::minimisedDialogComesBack()
{
    QFETCH(QString, screen);
    QFETCH(QString, menuItem);
    QFETCH(QString, field);
    Program p;
    Screens &s = p.screens();
    s.mainMenu->Show();
    s.mainMenu->setLoggedIn(true);
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    QTest::qWait(300);
    auto *item = s.mainMenu->findChild<QWidget *>(menuItem);
    Screen *dialog = screenNamed(screen);
    QVERIFY(item && dialog);
    QVERIFY(clickOn(item));
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible() && onTop(dialog), 3000);
    QVERIFY(minimise(dialog));
    QTest::qWait(1000);
    QVERIFY(clickOn(item));
    QTRY_VERIFY2_WITH_TIMEOUT(!iconic(dialog) && onTop(dialog), qPrintable(xprop(dialog->winId(), "WM_STATE")), 3000);
    if (!field.isEmpty()) {
        auto *edit = dialog->findChild<QLineEdit *>(field);
        QVERIFY(edit);
        QTRY_VERIFY_WITH_TIMEOUT(edit->hasFocus(), 2000);
        QVERIFY(typeText(QStringLiteral("abc")));
        QCOMPARE(edit->text(), QStringLiteral("abc"));
    }
    dialog->Close();
}

// The master password creation, modal over the blocked main menu, minimised: nothing visible could
// bring it back, so it comes back by itself and takes the password.
void TestDesktop::minimisedModalDialogComesBack()
{
    Program p("");
    Screens &s = p.screens();
    bool neverUp = false, wasIconic = true, typedIn = false;
    Script script(700);
    script.waitUntil([&] { return s.masterPasswordSetup->isVisible() && onTop(s.masterPasswordSetup); }, &neverUp);
    script.add([&] { minimise(s.masterPasswordSetup); });
    script.add([] {}); // the window manager's minimise, then the program's answer
    script.add([&] { wasIconic = iconic(s.masterPasswordSetup); });
    script.add([&] {
        typeText(QStringLiteral("newpass"));
        typedIn = s.masterPasswordSetup->Edit1->text() == QLatin1String("newpass");
        pressKeyNow("Return");
    });
    script.add([&] { // asked again, in the second field
        typeText(QStringLiteral("newpass"));
        pressKeyNow("Return");
    });
    script.add([&] {
        if (s.masterPasswordSetup->isVisible())
            s.masterPasswordSetup->Close(); // the password never reached it: end its loop, the checks below say so
    });
    script.start();
    s.mainMenu->Show(); // its activation runs the creation dialog modally
    QTRY_VERIFY_WITH_TIMEOUT(script.done(), 15000);
    QVERIFY(!neverUp);
    QVERIFY(!wasIconic);
    QVERIFY(typedIn);
    QCOMPARE(p.readFile("user/master.psw"), QByteArray("newpass\r\n"));
}

// はい deletes a user whose password file cannot go (a folder in its place): the error box belongs to
// the teacher's screen, above it, not to the confirmation that has just closed.
void TestDesktop::deletionErrorShowsOverTheTeachersScreen()
{
    Program p;
    RealBoxes real;
    addUser(p, QStringLiteral("taro"), {}, "pass1\r\n");
    QVERIFY(QFile::remove(p.path(QStringLiteral("user/taro.psw"))));
    QVERIFY(QDir().mkpath(p.path(QStringLiteral("user/taro.psw/x"))));
    Screens &s = p.screens();
    s.mainMenu->Show();
    s.studentsRecords->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.studentsRecords));
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.studentsRecords), 3000);
    QListWidget *list = s.studentsRecords->ListBox1;
    QCOMPARE(list->count(), 1);
    QVERIFY(clickAt(list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).center())));
    QTRY_COMPARE_WITH_TIMEOUT(s.studentsRecords->shownUser(), QStringLiteral("taro"), 2000);

    QWidget *owner = nullptr;
    bool noQuestion = false, noBox = false;
    QString boxUp, afterOk;
    const auto seen = [] { return names(stacking()) + " focus " + names({focusWidget()}); };
    Script script(700);
    script.waitUntil([&] { return s.deletionConfirm->isVisible() && onTop(s.deletionConfirm); }, &noQuestion);
    script.add([&] { clickNow(s.deletionConfirm->Label1); }); // はい: the box opens
    script.waitUntil([] { return openBox() && onTop(openBox()); }, &noBox);
    script.add([&] {
        boxUp = seen();
        owner = openBox()->parentWidget();
    });
    script.add([] { pressKeyNow("Return"); }); // OK
    script.add([&] { afterOk = seen(); });
    script.start();
    QVERIFY(clickOn(s.studentsRecords->Label3)); // 削除: the confirmation, modally
    QTRY_VERIFY_WITH_TIMEOUT(script.done(), 15000);
    QVERIFY(!noQuestion);
    QVERIFY2(!noBox, qPrintable(seen()));
    QCOMPARE(owner, s.studentsRecords);
    QCOMPARE(boxUp, QStringLiteral("TForm1 TForm13 QMessageBox focus QMessageBox"));
    QCOMPARE(afterOk, QStringLiteral("TForm1 TForm13 focus TForm13"));
    QVERIFY(!QFileInfo::exists(p.path(QStringLiteral("user/taro.dat"))));
    s.studentsRecords->Close();
}

// The confirmation is a normal window: fitted to its outer size when first framed, then the size the
// teacher gives it stays, also at the next showing.
void TestDesktop::confirmationKeepsTheTeachersSize()
{
    Program p;
    Screens &s = p.screens();
    s.mainMenu->Show();
    s.studentsRecords->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.studentsRecords));
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.studentsRecords), 3000);
    bool notFramed = false, notAgain = false;
    QSize first, resized, again;
    QRect outer;
    Script script(700);
    script.waitUntil([&] { return s.deletionConfirm->isVisible() && s.deletionConfirm->frameGeometry().size() == QSize(433, 230); }, &notFramed);
    script.add([&] {
        first = s.deletionConfirm->size();
        outer = s.deletionConfirm->frameGeometry();
        xdo({QStringLiteral("windowsize"), QString::number(s.deletionConfirm->winId()), QStringLiteral("520"), QStringLiteral("260")});
    });
    script.add([] {}); // the window manager's configure, and whatever the program answers
    script.add([&] {
        resized = s.deletionConfirm->size();
        clickNow(s.deletionConfirm->Label2); // いいえ
    });
    script.add([&] { clickNow(s.studentsRecords->Label3); }); // 削除 again
    script.waitUntil([&] { return s.deletionConfirm->isVisible() && onTop(s.deletionConfirm); }, &notAgain);
    script.add([&] {
        again = s.deletionConfirm->size();
        clickNow(s.deletionConfirm->Label2);
    });
    script.start();
    QVERIFY(clickOn(s.studentsRecords->Label3)); // 削除
    QTRY_VERIFY_WITH_TIMEOUT(script.done() && !s.deletionConfirm->isVisible(), 15000);
    QVERIFY(!notFramed && !notAgain);
    QCOMPARE(outer, QRect(175, 177, 433, 230));
    QVERIFY(first.height() < 230 - 10); // the title bar is inside the outer size
    QCOMPARE(resized, QSize(520, 260));
    QCOMPARE(again, QSize(520, 260));
    s.studentsRecords->Close();
}

// The registration's とじる pressed with the real pointer, which then leaves the button while held.
void TestDesktop::buttonHeldWhileThePointerLeaves()
{
    Program p;
    Screens &s = p.screens();
    s.mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    QTest::qWait(300);
    QVERIFY(clickOn(s.mainMenu->Label1));
    QTRY_VERIFY_WITH_TIMEOUT(s.registration->isVisible() && onTop(s.registration), 3000);
    TCuteButton *b = s.registration->CuteButton2;
    const QPoint in = b->mapToGlobal(b->rect().center());
    const QPoint out = b->mapToGlobal(QPoint(b->width() / 2, -40)); // on the dialog, above the button
    QVERIFY(xdo({QStringLiteral("mousemove"), QString::number(in.x()), QString::number(in.y()), QStringLiteral("mousedown"), QStringLiteral("1")}));
    QTRY_COMPARE_WITH_TIMEOUT(b->BevelOuter(), TCuteButton::BevelCut::Lowered, 2000);
    QVERIFY(xdo({QStringLiteral("mousemove"), QString::number(out.x()), QString::number(out.y())}));
    QTest::qWait(300);
    QCOMPARE(b->BevelOuter(), TCuteButton::BevelCut::Lowered); // still pressed: it has the focus
    QVERIFY(xdo({QStringLiteral("mouseup"), QStringLiteral("1")}));
    QTRY_COMPARE_WITH_TIMEOUT(b->BevelOuter(), TCuteButton::BevelCut::Raised, 2000);
    QVERIFY(s.registration->isVisible()); // released outside: no click
    QVERIFY(clickAt(in));
    QTRY_VERIFY_WITH_TIMEOUT(!s.registration->isVisible(), 2000);
}

// A child registered with the real keyboard or pointer and the real 登録しました box: once its OK is
// pressed, the registration dialog has gone and the main menu has the keyboard.
void TestDesktop::registrationClosesAfterItsBox_data()
{
    QTest::addColumn<QString>("key"); // the key that presses the button and OK; empty: both clicked
    QTest::newRow("Enter on とうろくする, Enter on OK") << "Return";
    QTest::newRow("Space on とうろくする, Space on OK") << "space";
    QTest::newRow("とうろくする and OK clicked") << "";
}

void TestDesktop::registrationClosesAfterItsBox()
{
    QFETCH(QString, key);
    const bool byKeyboard = !key.isEmpty();
    const QByteArray keysym = key.toLatin1();
    Program p;
    RealBoxes real;
    Screens &s = p.screens();
    s.mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    QTest::qWait(300);
    QVERIFY(clickOn(s.mainMenu->Label1));
    QTRY_VERIFY_WITH_TIMEOUT(s.registration->isVisible() && onTop(s.registration), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(s.registration->Edit1->hasFocus(), 2000);
    QVERIFY(typeText(QStringLiteral("jiro")));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(s.registration->Edit2->hasFocus(), 2000);
    QVERIFY(typeText(QStringLiteral("pass2")));

    bool noBox = false, notClosed = false;
    QString boxText, afterOk;
    const auto seen = [] { return names(stacking()) + " focus " + names({focusWidget()}); };
    Script script(700);
    script.waitUntil([] { return openBox() && onTop(openBox()); }, &noBox);
    script.add([&] {
        boxText = static_cast<QMessageBox *>(openBox())->text();
        if (byKeyboard)
            pressKeyNow(keysym.constData());
        else
            clickNow(static_cast<QMessageBox *>(openBox())->button(QMessageBox::Ok));
    });
    script.waitUntil([&] { return !openBox() && !s.registration->isVisible(); }, &notClosed);
    script.add([&] { afterOk = seen(); });
    script.start();
    if (byKeyboard) {
        QVERIFY(pressKey("Return")); // to the button
        QTRY_VERIFY_WITH_TIMEOUT(s.registration->CuteButton1->hasFocus(), 2000);
        QVERIFY(pressKey(keysym.constData())); // the button
    } else {
        QVERIFY(clickOn(s.registration->CuteButton1));
    }
    QTRY_VERIFY_WITH_TIMEOUT(script.done(), 15000);
    QVERIFY(!noBox);
    QCOMPARE(boxText, QStringLiteral("登録しました"));
    QVERIFY2(!notClosed, qPrintable(seen()));
    QCOMPARE(afterOk, QStringLiteral("TForm1 focus TForm1"));
    QCOMPARE(p.app().activeScreen(), s.mainMenu);
    QCOMPARE(p.readFile(QStringLiteral("user/jiro.psw")), QByteArray("pass2\r\n"));
    // Opened again, it is empty and works as the first time.
    QVERIFY(clickOn(s.mainMenu->Label1));
    QTRY_VERIFY_WITH_TIMEOUT(s.registration->isVisible() && onTop(s.registration), 3000);
    QCOMPARE(s.registration->Edit1->text(), QString());
    QCOMPARE(s.registration->Edit2->text(), QString());
    s.registration->Close();
}

// Register, log in, practise 10級 and see the result, with real clicks and keys, the pointer
// wandering over the flash screen and the verdict.
void TestDesktop::roadOfOneDrillWithTheMouseWandering()
{
    Program p;
    p.writeQuickTenthGrade();
    Screens &s = p.screens();
    s.mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    QTest::qWait(300);

    // Register.
    QVERIFY(clickOn(s.mainMenu->Label1));
    QTRY_VERIFY_WITH_TIMEOUT(s.registration->isVisible() && onTop(s.registration), 3000);
    QVERIFY(clickOn(s.registration->Edit1));
    QVERIFY(typeText(QStringLiteral("hanako")));
    QVERIFY(clickOn(s.registration->Edit2));
    QVERIFY(typeText(QStringLiteral("pass1")));
    QVERIFY(clickOn(s.registration->CuteButton1));
    QTRY_COMPARE_WITH_TIMEOUT(recorder().texts(), QStringList{QStringLiteral("登録しました")}, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!s.registration->isVisible(), 3000);

    // Log in.
    QVERIFY(clickOn(s.mainMenu->Label6));
    QTRY_VERIFY_WITH_TIMEOUT(s.login->isVisible() && onTop(s.login), 3000);
    QListWidget *list = s.login->ListBox1;
    QCOMPARE(list->count(), 1);
    QVERIFY(clickAt(list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).center())));
    QTRY_VERIFY_WITH_TIMEOUT(s.login->Edit1->hasFocus(), 2000);
    QVERIFY(typeText(QStringLiteral("pass1")));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(p.state().loggedIn && !s.login->isVisible(), 3000);

    // Practise 10級.
    QTRY_VERIFY_WITH_TIMEOUT(onTop(s.mainMenu), 3000);
    QVERIFY(clickOn(s.mainMenu->Label3));
    QTRY_VERIFY_WITH_TIMEOUT(s.gradeSelection->isVisible() && onTop(s.gradeSelection), 3000);
    QVERIFY(clickOn(s.gradeSelection->findChild<QWidget *>("Label1")));
    QTRY_VERIFY_WITH_TIMEOUT(s.flashScreen->isVisible(), 5000);
    QVERIFY(clickAt(QPoint(400, 300))); // on the flash screen while it counts down: nothing happens

    for (int q = 1; q <= 10; ++q) {
        QTRY_VERIFY_WITH_TIMEOUT(s.answerBox->isVisible(), 15000);
        QTRY_VERIFY2_WITH_TIMEOUT(onTop(s.answerBox), qPrintable(QStringLiteral("question %1: ").arg(q) + names(stacking())
                                                             + " focus " + names({focusWidget()})), 3000);
        QVERIFY(clickAt(kWander[q - 1]));
        QTRY_VERIFY2_WITH_TIMEOUT(onTop(s.answerBox), qPrintable(QStringLiteral("question %1 after a click: ").arg(q)
                                                             + names(stacking()) + " focus " + names({focusWidget()})), 3000);
        const int sum = p.state().drill->runningSum();
        QVERIFY(typeText(QString::number((q == 3 || q == 7) ? sum + 1 : sum)));
        QVERIFY(pressKey("Return"));
        QTRY_VERIFY_WITH_TIMEOUT(!s.answerBox->isVisible(), 2000);
    }

    QTRY_VERIFY_WITH_TIMEOUT(s.verdictBanner->isVisible() && onTop(s.verdictBanner), 3000);
    QCOMPARE(p.state().drill->verdict(), QStringLiteral("合格"));
    QVERIFY(clickAt(QPoint(700, 500)));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(s.resultSheet->isVisible() && onTop(s.resultSheet), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(p.readFile("user/hanako.dat").count("\r\n") == 2, 5000);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/M/dd"));
    QVERIFY(p.readFile("user/hanako.dat").endsWith(textfile::encode(QStringLiteral("１０級,%1,8,2,合格").arg(today)) + "\r\n"));

    QVERIFY(clickOn(s.resultSheet->Label46));
    QTRY_VERIFY_WITH_TIMEOUT(!s.resultSheet->isVisible() && onTop(s.gradeSelection), 3000);
    QCOMPARE(p.app().activeScreen(), s.gradeSelection);
}

PZ_GUI_TEST_MAIN(TestDesktop)
#include "tst_wm_desktop.moc"
