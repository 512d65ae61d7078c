// The bevelled push button. Mouse clicks, hover and crossings, and presses that outlive the window's activation.
#include "shell/cutebtn_stage.h"

class TestCuteButtonMouse : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder().clear(); }

    void clickRunsBeforeMouseUpWhilePressed();
    void releaseOutsideGivesNoClick_data();
    void releaseOutsideGivesNoClick();
    void doubleClickClicksOnce();
    void hoverRaisesAndLeaves_data();
    void hoverRaisesAndLeaves();
    void disabledShowsNoHover();
    void crossingWhileHeld_data();
    void crossingWhileHeld();
    void stalePressAfterDeactivation();
};

void TestCuteButtonMouse::clickRunsBeforeMouseUpWhilePressed()
{
    Stage s;
    QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.log, (QStringList{QStringLiteral("click:%1").arg(int(Bevel::Lowered)), "up"}));
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    QVERIFY(s.b->hasFocus());
    // The right button presses nothing and clicks nothing.
    s.log.clear();
    QTest::mouseClick(s.b, Qt::RightButton, {}, s.centre());
    QCOMPARE(s.log, QStringList{"up"});
}

void TestCuteButtonMouse::releaseOutsideGivesNoClick_data()
{
    QTest::addColumn<bool>("tabFocusUp");
    QTest::addColumn<Bevel>("after");
    QTest::newRow("focused with TabFocusUp: raised") << true << Bevel::Raised;
    QTest::newRow("without TabFocusUp: none") << false << Bevel::None;
}

void TestCuteButtonMouse::releaseOutsideGivesNoClick()
{
    QFETCH(bool, tabFocusUp);
    QFETCH(Bevel, after);
    Stage s;
    s.b->setTabFocusUp(tabFocusUp);
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, QPoint(200, 60)); // outside, below right
    QCOMPARE(s.clicks, 0);
    QCOMPARE(s.log, QStringList{"up"});
    QCOMPARE(s.b->BevelOuter(), after);
    // On the single border is outside the client area too.
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, QPoint(0, 20));
    QCOMPARE(s.clicks, 0);
}

void TestCuteButtonMouse::doubleClickClicksOnce()
{
    Stage s;
    const QPoint p = s.inHost(s.centre());
    QStringList downs;
    s.b->OnMouseDown = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        downs << QStringLiteral("down:%1").arg(int(s.b->BevelOuter()));
    };
    s.moveTo(p);
    QTest::mouseDClick(s.window(), Qt::LeftButton, {}, p); // press, release, double-click, release
    QCOMPARE(s.clicks, 1);
    const QString down = QStringLiteral("down:%1").arg(int(Bevel::Lowered));
    QCOMPARE(downs, (QStringList{down, down})); // the second press still pushes the button
    QCOMPARE(s.log.count("up"), 2);
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    // The next ordinary click counts again.
    QTest::mouseClick(s.window(), Qt::LeftButton, {}, p, 600);
    QCOMPARE(s.clicks, 2);
}

void TestCuteButtonMouse::hoverRaisesAndLeaves_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("tabFocusUp");
    QTest::addColumn<Bevel>("afterLeave");
    QTest::newRow("unfocused: back to none") << false << true << Bevel::None;
    QTest::newRow("focused with TabFocusUp: stays raised") << true << true << Bevel::Raised;
    QTest::newRow("focused without TabFocusUp: none") << true << false << Bevel::None;
}

void TestCuteButtonMouse::hoverRaisesAndLeaves()
{
    QFETCH(bool, focused);
    QFETCH(bool, tabFocusUp);
    QFETCH(Bevel, afterLeave);
    Stage s;
    s.b->setTabFocusUp(tabFocusUp);
    QStringList seen;
    s.b->OnMouseEnter = [&](QObject *sender, Qt::KeyboardModifiers, int x, int y) {
        QCOMPARE(sender, s.b);
        seen << QStringLiteral("enter %1,%2 %3").arg(x).arg(y).arg(int(s.b->BevelOuter()));
    };
    s.b->OnMouseLeave = [&](QObject *, Qt::KeyboardModifiers, int, int) {
        seen << QStringLiteral("leave %1").arg(int(s.b->BevelOuter()));
    };
    if (focused)
        s.b->setFocus(Qt::TabFocusReason);
    s.moveTo(QPoint(300, 190));
    s.moveTo(s.inHost(QPoint(11, 6)));
    QTRY_COMPARE(seen.size(), 1);
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    s.moveTo(QPoint(300, 190));
    QTRY_COMPARE(seen.size(), 2);
    QCOMPARE(s.b->BevelOuter(), afterLeave);
    // Client coordinates (inside the border); the handlers run before the bevel changes.
    const int before = int(focused && tabFocusUp ? Bevel::Raised : Bevel::None);
    QCOMPARE(seen, (QStringList{QStringLiteral("enter 10,5 %1").arg(before),
                                QStringLiteral("leave %1").arg(int(Bevel::Raised))}));
}

// Qt still tells a disabled widget about the pointer crossing it; a disabled button shows no hover.
void TestCuteButtonMouse::disabledShowsNoHover()
{
    Stage s;
    QStringList seen;
    s.b->OnMouseEnter = [&](QObject *, Qt::KeyboardModifiers, int, int) { seen << QStringLiteral("enter"); };
    s.b->OnMouseLeave = [&](QObject *, Qt::KeyboardModifiers, int, int) { seen << QStringLiteral("leave"); };
    const QPoint away(300, 190);
    s.moveTo(away);
    s.moveTo(s.inHost(s.centre()));
    QTRY_COMPARE(s.b->BevelOuter(), Bevel::Raised);
    s.b->setEnabled(false); // disabled under the pointer
    QCOMPARE(s.b->BevelOuter(), Bevel::None);
    s.moveTo(away);
    s.moveTo(s.inHost(s.centre()));
    s.moveTo(away);
    s.moveTo(s.inHost(s.centre()));
    QTest::qWait(100); // the crossings have arrived (the pointer moves wait for nothing on a window system)
    QCOMPARE(s.b->BevelOuter(), Bevel::None);
    QCOMPARE(seen, QStringList{QStringLiteral("enter")});
    s.b->setEnabled(true);
    s.moveTo(away);
    QTRY_COMPARE(seen.size(), 2);
    s.moveTo(s.inHost(s.centre()));
    QTRY_COMPARE(s.b->BevelOuter(), Bevel::Raised);
}

// With the left button held, Qt keeps the crossing events until the release; the button still sees
// the pointer leave and come back, and the look follows it.
void TestCuteButtonMouse::crossingWhileHeld_data()
{
    QTest::addColumn<bool>("tabFocusUp");
    QTest::addColumn<bool>("comeBack");
    QTest::addColumn<Bevel>("outside"); // while held outside
    QTest::addColumn<int>("clicks");
    QTest::addColumn<Bevel>("after");
    // A focused button with TabFocusUp keeps the pressed look while the pointer is out.
    QTest::newRow("out, released outside") << true << false << Bevel::Lowered << 0 << Bevel::Raised;
    QTest::newRow("out, released outside, no TabFocusUp") << false << false << Bevel::None << 0 << Bevel::None;
    QTest::newRow("out and back, released inside") << true << true << Bevel::Lowered << 1 << Bevel::Raised;
    QTest::newRow("out and back, no TabFocusUp") << false << true << Bevel::None << 1 << Bevel::Raised;
}

void TestCuteButtonMouse::crossingWhileHeld()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("made-up presses and moves would fight the real pointer of a window system");
    QFETCH(bool, tabFocusUp);
    QFETCH(bool, comeBack);
    QFETCH(Bevel, outside);
    QFETCH(int, clicks);
    QFETCH(Bevel, after);
    Stage s;
    s.b->setTabFocusUp(tabFocusUp);
    QStringList seen;
    s.b->OnMouseEnter = [&](QObject *, Qt::KeyboardModifiers, int x, int y) {
        seen << QStringLiteral("enter %1,%2").arg(x).arg(y);
    };
    s.b->OnMouseLeave = [&](QObject *, Qt::KeyboardModifiers, int, int) { seen << QStringLiteral("leave"); };
    const QPoint in = s.inHost(s.centre());
    const QPoint out(300, 190);
    s.moveTo(out);
    s.moveTo(in);
    QTRY_COMPARE(seen.size(), 1);
    QTest::mousePress(s.window(), Qt::LeftButton, {}, in);
    QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
    QTest::mouseMove(s.window(), in + QPoint(5, 0)); // still inside: nothing crosses
    QTest::mouseMove(s.window(), out);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.last(), QStringLiteral("leave"));
    QCOMPARE(s.b->BevelOuter(), outside);
    QTest::mouseMove(s.window(), out + QPoint(-3, 0));
    QCOMPARE(seen.size(), 2);
    QPoint releaseAt = out;
    if (comeBack) {
        QTest::mouseMove(s.window(), in);
        QCOMPARE(seen.size(), 3);
        const QPoint c = s.centre() - s.b->clientRect().topLeft();
        QCOMPARE(seen.last(), QStringLiteral("enter %1,%2").arg(c.x()).arg(c.y()));
        QCOMPARE(s.b->BevelOuter(), Bevel::Lowered); // back in with the left button down
        releaseAt = in;
    }
    QTest::mouseRelease(s.window(), Qt::LeftButton, {}, releaseAt);
    QCOMPARE(s.clicks, clicks);
    QCOMPARE(s.b->BevelOuter(), after);
    // The crossings Qt kept back do not come twice.
    QTest::qWait(50);
    QCOMPARE(seen.size(), comeBack ? 3 : 2);
    QCOMPARE(s.b->BevelOuter(), after);
}

// A press whose release went to another window leaves nothing behind: here the press handler opens
// a modal box and the button is let go over it. No click, no late menu, and the next hover only raises.
void TestCuteButtonMouse::stalePressAfterDeactivation()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("made-up presses and moves would fight the real pointer of a window system");
    Stage s;
    MenuWatch w;
    w.attach(s.b, 300);
    bool boxWasActive = false;
    s.b->OnMouseDown = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        QDialog box(s.host.get());
        box.resize(100, 60);
        QTimer::singleShot(50, &box, [&] {
            boxWasActive = box.isActiveWindow();
            QTest::mouseRelease(box.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
            box.accept();
        });
        box.exec();
    };
    const QPoint in = s.inHost(s.centre());
    s.moveTo(in);
    QTest::mousePress(s.window(), Qt::LeftButton, {}, in);
    QVERIFY(boxWasActive);
    QVERIFY(!s.b->dropDownTimer());
    s.host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.host.get()));
    QTest::qWait(400); // past the hold delay: no menu drops
    QCOMPARE(w.shown, 0);
    QCOMPARE(s.clicks, 0);
    s.moveTo(QPoint(300, 190));
    s.moveTo(in);
    QTRY_COMPARE(s.b->BevelOuter(), Bevel::Raised);
    QTest::qWait(50);
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    // The release that the box took does not click later either.
    QTest::mouseRelease(s.window(), Qt::LeftButton, {}, in);
    QCOMPARE(s.clicks, 0);
}

PZ_GUI_TEST_MAIN(TestCuteButtonMouse)
#include "tst_cutebtn_mouse.moc"
