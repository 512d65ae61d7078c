// The program on an X server without a window manager (Xvfb alone, started by without-wm.sh), as in
// a kiosk-like room, driven by the real pointer and keyboard through xdotool: nobody but the program
// hands the keyboard on when one of its windows goes away.
#include "support/testmain.h"
#include "xdesktop.h"

#include "drill/pacecheckwindow.h"
#include "platform/x11window.h"
#include "records/mastergate.h"
#include "shell/main.h"
#include "kit/widgets.h"
#include "users/delete.h"
#include "users/mstgtpass.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QScopeGuard>

using testsupport::Program;
using namespace xdesktop;

class TestBareKeyboard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run by without-wm.sh");
        QVERIFY2(!x11window::windowManagerRunning(), "no window manager on the display");
        QVERIFY(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) == 0);
    }
    void cleanup() { QTest::qWait(200); }

    void passwordAfterAWarningReachesTheField_data();
    void passwordAfterAWarningReachesTheField();
    void pcCheckLeavesTheButtonsPainted();
};

// PCチェック on a real display: its window gets its X window and hints, and the teacher's screen under
// it keeps drawing its buttons itself. A widget of the screen that became an X window of its own is
// never painted over its transparent background: the button would vanish until the program restarts.
void TestBareKeyboard::pcCheckLeavesTheButtonsPainted()
{
    Program p;
    TForm13 *f = p.screens().studentsRecords;
    p.screens().mainMenu->Show();
    f->Show();
    QVERIFY(QTest::qWaitForWindowExposed(f));
    auto reset = qScopeGuard([] { pacecheck::programSeams() = {}; });
    pacecheck::programSeams().perPace = std::chrono::milliseconds(200);
    bool shown = false;
    pacecheck::programSeams().beforeFlash = [&](int, pace::Clock::time_point) {
        auto *w = qobject_cast<PaceCheckWindow *>(QApplication::activeModalWidget());
        shown = shown || (w && w->internalWinId() != 0);
    };
    QTest::mouseClick(f->findChild<QWidget *>(QStringLiteral("Label9")), Qt::LeftButton);
    QVERIFY(shown);
    const QList<QWidget *> parts = f->findChildren<QWidget *>();
    QVERIFY(parts.size() > 16);
    for (QWidget *w : parts)
        QVERIFY2(!w->testAttribute(Qt::WA_NativeWindow) && !w->internalWinId(), qPrintable(w->objectName()));
}

void TestBareKeyboard::passwordAfterAWarningReachesTheField_data()
{
    QTest::addColumn<bool>("teacher"); // 先生用 and TForm14, else さくじょする and TForm10
    QTest::newRow("TForm14 (先生用), the teacher's screen follows") << true;
    QTest::newRow("TForm10 (さくじょする), 削除しました follows") << false;
}

// The dialog is opened from the main menu, so the pointer rests on the menu beside it. A wrong
// password, Enter (the 警告 box), Enter (OK), then the right one typed and Enter: it must reach the
// dialog's field, not the window under the pointer.
void TestBareKeyboard::passwordAfterAWarningReachesTheField()
{
    QFETCH(bool, teacher);
    Program p;
    RealBoxes real;
    addUser(p, QStringLiteral("taro"), {}, "pass1\r\n");
    Screens &s = p.screens();
    s.mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    if (!teacher) {
        p.state().userName = QStringLiteral("taro");
        s.mainMenu->setLoggedIn(true);
    }
    Screen *dialog = teacher ? static_cast<Screen *>(s.masterPasswordEntry) : static_cast<Screen *>(s.userDeletion);
    QLineEdit *field = teacher ? s.masterPasswordEntry->Edit1 : s.userDeletion->Edit1;
    QWidget *item = teacher ? s.mainMenu->Label7 : s.mainMenu->Label5;
    QVERIFY(!QRect(item->mapToGlobal(QPoint()), item->size()).intersects(dialog->frameGeometry()));
    QVERIFY(clickOn(item));
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible() && QGuiApplication::focusWindow() == dialog->windowHandle(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(field->hasFocus() && xFocus() == dialog->winId(), 3000);

    bool noWarning = false, noConfirmation = false;
    WId focusAfterOk = 0;
    QString typedAfterOk;
    Script script(700);
    script.add([] {
        typeText(QStringLiteral("wrong"));
        pressKeyNow("Return");
    });
    script.waitUntil([] { return openBox() != nullptr; }, &noWarning);
    script.add([] {}); // the box has the keyboard
    script.add([] { pressKeyNow("Return"); }); // OK
    script.add([&] {
        focusAfterOk = xFocus();
        typeText(QStringLiteral("teacher"));
        typedAfterOk = field->text();
        pressKeyNow("Return");
    });
    if (!teacher) {
        script.waitUntil([] { return openBox() != nullptr; }, &noConfirmation); // 削除しました
        script.add([] { pressKeyNow("Return"); });
    }
    script.start();
    QTRY_VERIFY_WITH_TIMEOUT(script.done(), 20000);
    QVERIFY(!noWarning);
    QCOMPARE(focusAfterOk, dialog->winId());
    QCOMPARE(typedAfterOk, QStringLiteral("teacher"));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 3000);
    QVERIFY(!noConfirmation);
    if (teacher) {
        QVERIFY(s.studentsRecords->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(xFocus(), s.studentsRecords->winId(), 3000);
        s.studentsRecords->Close();
    } else {
        QVERIFY(!QFileInfo::exists(p.path(QStringLiteral("user/taro.dat"))));
        QTRY_COMPARE_WITH_TIMEOUT(xFocus(), s.mainMenu->winId(), 3000); // after 削除しました, the menu
    }
}

PZ_GUI_TEST_MAIN(TestBareKeyboard)
#include "tst_wm_bare_keyboard.moc"
