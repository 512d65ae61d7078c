// The bevelled push button. The delayed drop-down menu, by mouse hold and by keyboard.
#include "shell/cutebtn_stage.h"

class TestCuteButtonMenu : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder().clear(); }

    void holdDelay_data();
    void holdDelay();
    void clickSwallowedWhileMenuIsUp();
    void pressOnButtonClosesMenuWithoutClick();
    void keyboardDropDown_data();
    void keyboardDropDown();
    void pendingPressDiesWithTheFocus_data();
    void pendingPressDiesWithTheFocus();
    void noSecondDropDownWhileOneRuns();
};

void TestCuteButtonMenu::holdDelay_data()
{
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("menus");
    // The short press uses a long delay, so that a stalled machine cannot make it a hold.
    QTest::newRow("100 ms click: a click, no menu") << 5000 << 100 << 1 << 0;
    QTest::newRow("held past 500 ms: the menu, no click") << 500 << 800 << 0 << 1;
}

void TestCuteButtonMenu::holdDelay()
{
    QFETCH(int, delay);
    QFETCH(int, holdMs);
    QFETCH(int, clicks);
    QFETCH(int, menus);
    Stage s;
    MenuWatch w;
    w.attach(s.b, delay);
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QVERIFY(s.b->dropDownTimer());
    QCOMPARE(s.b->dropDownTimer()->Button, s.b);
    QCOMPARE(s.b->dropDownTimer()->parent(), s.b);
    QCOMPARE(s.b->dropDownTimer()->interval(), delay);
    QTest::qWait(holdMs);
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    // The release freed the timer: it cannot drop the menu late.
    QVERIFY(!s.b->dropDownTimer());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(s.b->findChildren<TCuteButtonTimer *>().isEmpty());
    QTest::qWait(50);
    QCOMPARE(s.clicks, clicks);
    QCOMPARE(w.shown, menus);
    QVERIFY(!s.b->menuShowing());
    if (menus)
        QCOMPARE(w.shownAt, s.b->mapToGlobal(QPoint(0, s.b->height())));
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
}

void TestCuteButtonMenu::clickSwallowedWhileMenuIsUp()
{
    Stage s;
    MenuWatch w(400);
    s.b->setDropDownMenu(&w.menu);
    bool showingDuringMenu = false;
    QTimer::singleShot(150, s.b, [&] {
        showingDuringMenu = s.b->menuShowing();
        s.b->Click(); // swallowed
        s.b->Click(); // the flag was used up: this one counts
    });
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre()); // delay 0: drops at once, returns when closed
    QCOMPARE(w.shown, 1);
    QVERIFY(showingDuringMenu);
    QCOMPARE(s.clicks, 1);
    QVERIFY(!s.b->menuShowing());
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    // The release that comes after the menu closed is not a click.
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.clicks, 1);
}

void TestCuteButtonMenu::pressOnButtonClosesMenuWithoutClick()
{
    Stage s;
    MenuWatch w(5000);
    s.b->setDropDownMenu(&w.menu);
    const QPoint p = s.inHost(s.centre());
    bool visibleBefore = false;
    QTimer::singleShot(200, s.b, [&] {
        visibleBefore = w.menu.isVisible();
        QTest::mousePress(s.window(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(s.window(), Qt::LeftButton, {}, p);
    });
    QTimer::singleShot(3000, &w.menu, [&] { w.menu.close(); }); // a failure must not hang the test
    QElapsedTimer t;
    t.start();
    QTest::keyPress(s.b, Qt::Key_Return);
    QTest::keyRelease(s.b, Qt::Key_Return);
    QVERIFY(visibleBefore);
    QVERIFY(t.elapsed() < 2500); // closed by the press, not by the safety timer
    QTest::qWait(50);
    QCOMPARE(w.shown, 1);
    QCOMPARE(s.clicks, 0);
}

void TestCuteButtonMenu::keyboardDropDown_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("menus");
    QTest::newRow("return, no delay: the menu") << Qt::Key_Return << 0 << 0 << 0 << 1;
    QTest::newRow("return with a delay clicks instead") << Qt::Key_Return << 500 << 0 << 1 << 0;
    QTest::newRow("space, no delay: the menu, its own click swallowed") << Qt::Key_Space << 0 << 0 << 0 << 1;
    QTest::newRow("space tapped under the delay clicks") << Qt::Key_Space << 500 << 100 << 1 << 0;
    QTest::newRow("space held past the delay: the menu") << Qt::Key_Space << 300 << 600 << 0 << 1;
}

void TestCuteButtonMenu::keyboardDropDown()
{
    QFETCH(Qt::Key, key);
    QFETCH(int, delay);
    QFETCH(int, holdMs);
    QFETCH(int, clicks);
    QFETCH(int, menus);
    Stage s;
    MenuWatch w;
    w.attach(s.b, delay);
    s.b->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(s.b->hasFocus());
    QTest::keyPress(s.b, key);
    QTest::qWait(holdMs);
    QTest::keyRelease(s.b, key);
    QTest::qWait(delay + 200);
    QCOMPARE(s.clicks, clicks);
    QCOMPARE(w.shown, menus);
    QVERIFY(!s.b->menuShowing());
    QVERIFY(!s.b->spacePressed());
    QVERIFY(!s.b->dropDownTimer());
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    // Afterwards an ordinary Return still clicks (no swallow flag left behind).
    s.b->setDropDownDelay(1);
    QTest::keyClick(s.b, Qt::Key_Return);
    QCOMPARE(s.clicks, clicks + 1);
}

// A press that waits for its release (Space, or a hold before the drop-down) is abandoned when the
// focus leaves the button: the release that comes later, wherever, neither clicks nor drops the menu.
void TestCuteButtonMenu::pendingPressDiesWithTheFocus_data()
{
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("delay");
    QTest::newRow("space") << QStringLiteral("space") << 0;
    QTest::newRow("space held before a delayed menu") << QStringLiteral("space") << 300;
    QTest::newRow("left held before a delayed menu") << QStringLiteral("left") << 300;
}

void TestCuteButtonMenu::pendingPressDiesWithTheFocus()
{
    QFETCH(QString, press);
    QFETCH(int, delay);
    Stage s;
    MenuWatch w;
    if (delay) {
        s.b->setDropDownMenu(&w.menu);
        s.b->setDropDownDelay(delay);
    }
    s.b->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(s.b->hasFocus());
    if (press == "space") {
        QTest::keyPress(s.b, Qt::Key_Space);
        QVERIFY(s.b->spacePressed());
    } else {
        QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    }
    QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
    QCOMPARE(bool(s.b->dropDownTimer()), delay > 0);
    s.other->setFocus(Qt::TabFocusReason); // the focus moves on while the press is down
    QCOMPARE(s.b->BevelOuter(), Bevel::None);
    QVERIFY(!s.b->spacePressed());
    QVERIFY(!s.b->dropDownTimer());
    QTest::qWait(delay + 200);
    QCOMPARE(w.shown, 0);
    // The release arrives at the button after all: no click.
    if (press == "space")
        QTest::keyRelease(s.b, Qt::Key_Space);
    else
        QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.clicks, 0);
    QCOMPARE(w.shown, 0);
}

// A key that queued up behind the key that drops the menu is delivered before the menu pops up;
// it does not start a second drop-down inside the first.
void TestCuteButtonMenu::noSecondDropDownWhileOneRuns()
{
    Stage s;
    MenuWatch w;
    s.b->setDropDownMenu(&w.menu);
    s.b->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(s.b->hasFocus());
    QCoreApplication::postEvent(s.b, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")));
    QTest::keyPress(s.b, Qt::Key_Return);
    QCOMPARE(w.shown, 1);
    QVERIFY(!s.b->menuShowing());
    QTest::keyRelease(s.b, Qt::Key_Return);
    QCOMPARE(s.clicks, 0);
    // Afterwards Return drops the menu again.
    QTest::keyClick(s.b, Qt::Key_Return);
    QCOMPARE(w.shown, 2);
    QCOMPARE(s.clicks, 0);
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
}

PZ_GUI_TEST_MAIN(TestCuteButtonMenu)
#include "tst_cutebtn_menu.moc"
