// The bevelled push button. The click handler: clicks queued while it runs are dropped, failures are reported, and a handler
// may replace itself or delete its button.
#include "shell/cutebtn_stage.h"

class TestCuteButtonHandlers : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder().clear(); }

    void egnoreContClick_data();
    void egnoreContClick();
    void failingHandlerIsReportedAndKept_data();
    void failingHandlerIsReportedAndKept();
    void handlerReplacingItselfRunsToTheEnd_data();
    void handlerReplacingItselfRunsToTheEnd();
    void handlerDeletingTheButton_data();
    void handlerDeletingTheButton();
};

void TestCuteButtonHandlers::egnoreContClick_data()
{
    QTest::addColumn<bool>("egnore");
    QTest::addColumn<bool>("queued"); // clicks queued behind a busy handler, or delivered while it waits
    QTest::addColumn<int>("runs");
    QTest::newRow("on, queued behind a busy handler: dropped") << true << true << 1;
    QTest::newRow("off, queued behind a busy handler: processed after") << false << true << 3;
    QTest::newRow("on, while the handler waits: dropped") << true << false << 1;
    QTest::newRow("off, while the handler waits: processed") << false << false << 3;
}

void TestCuteButtonHandlers::egnoreContClick()
{
    QFETCH(bool, egnore);
    QFETCH(bool, queued);
    QFETCH(int, runs);
    Stage s;
    s.b->setEgnoreContClick(egnore);
    QStringList order;
    int depth = 0;
    int presses = 0;
    s.b->OnMouseDown = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++presses; };
    s.b->OnClick = [&](QObject *) {
        const int n = order.size();
        order << QStringLiteral("start %1").arg(n);
        ++depth;
        if (n == 0) {
            // Two more clicks while this one is busy for 300 ms.
            if (queued) {
                QElapsedTimer t;
                t.start();
                bool posted = false;
                while (t.elapsed() < 300) {
                    if (!posted && t.elapsed() > 100) {
                        posted = true;
                        for (int i = 0; i < 2; ++i) {
                            const QPointF c(s.centre());
                            const QPointF g(s.b->mapToGlobal(s.centre()));
                            QCoreApplication::postEvent(s.b, new QMouseEvent(QEvent::MouseButtonPress, c, g, Qt::LeftButton,
                                                                             Qt::LeftButton, {}));
                            QCoreApplication::postEvent(s.b, new QMouseEvent(QEvent::MouseButtonRelease, c, g, Qt::LeftButton,
                                                                             Qt::NoButton, {}));
                        }
                    }
                }
                QVERIFY(posted);
            } else {
                QTimer::singleShot(100, s.b, [&] { QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre()); });
                QTimer::singleShot(150, s.b, [&] { QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre()); });
                QTest::qWait(300);
            }
        }
        --depth;
        order << QStringLiteral("end %1").arg(n);
    };
    QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre());
    QTest::qWait(100);
    QTRY_COMPARE(presses, 3); // the two extra clicks reached the button, whatever became of them
    QCOMPARE(order.count() / 2, runs);
    if (runs > 1 && queued) // processed one after another once the handler returned
        QCOMPARE(order.mid(0, 4), (QStringList{"start 0", "end 0", "start 2", "end 2"}));
    if (runs > 1 && !queued) // processed inside the waiting handler
        QCOMPARE(order.mid(0, 2), (QStringList{"start 0", "start 1"}));
    QCOMPARE(depth, 0);
    // The handler is attached again: the next click runs it.
    QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(order.count() / 2, runs + 1);
}

void TestCuteButtonHandlers::failingHandlerIsReportedAndKept_data()
{
    QTest::addColumn<bool>("egnore");
    QTest::newRow("EgnoreContClick on") << true;
    QTest::newRow("EgnoreContClick off") << false;
}

void TestCuteButtonHandlers::failingHandlerIsReportedAndKept()
{
    QFETCH(bool, egnore);
    Stage s;
    s.b->setEgnoreContClick(egnore);
    int runs = 0;
    s.b->OnClick = [&](QObject *) {
        ++runs;
        throw pz::IoError(QStringLiteral("user/a.dat"), QStringLiteral("ディスクがいっぱいです"));
    };
    QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY(recorder().boxes[0].text.contains(QStringLiteral("ディスクがいっぱいです")));
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised); // MouseUp still ran
    QTest::keyClick(s.b, Qt::Key_Return);
    QCOMPARE(runs, 2);
    QCOMPARE(recorder().boxes.size(), 2);
}

namespace {
// A handler's own state, counted: copies alive anywhere. A handler that has been destroyed while it
// runs leaves none.
struct Probe {
    static inline int alive = 0;
    Probe() { ++alive; }
    Probe(const Probe &) { ++alive; }
    ~Probe() { --alive; }
};
std::function<void()> g_replace;  // replaces the running handler on the button
int g_aliveAfterReplace = -1;
} // namespace

// A handler that assigns a new handler to its own event (or clears it) runs to its end on a live
// handler object.
void TestCuteButtonHandlers::handlerReplacingItselfRunsToTheEnd_data()
{
    QTest::addColumn<QString>("event");
    QTest::newRow("OnClick") << QStringLiteral("OnClick");
    QTest::newRow("OnClick with EgnoreContClick") << QStringLiteral("OnClick egnore");
    QTest::newRow("OnMouseDown") << QStringLiteral("OnMouseDown");
    QTest::newRow("OnMouseUp") << QStringLiteral("OnMouseUp");
    QTest::newRow("OnEnter") << QStringLiteral("OnEnter");
    QTest::newRow("OnKeyDown") << QStringLiteral("OnKeyDown");
}

void TestCuteButtonHandlers::handlerReplacingItselfRunsToTheEnd()
{
    QFETCH(QString, event);
    Stage s;
    TCuteButton *b = s.b;
    // Only globals are touched once the handler has replaced itself. The button holds the only copy.
    auto handler = [] {
        return [p = Probe()](auto &&...) {
            g_replace();
            g_aliveAfterReplace = Probe::alive;
        };
    };
    g_aliveAfterReplace = -1;
    if (event.startsWith("OnClick")) {
        b->setEgnoreContClick(event.endsWith("egnore"));
        b->OnClick = handler();
        g_replace = [b] { b->OnClick = [](QObject *) {}; };
        QTest::mouseClick(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "OnMouseDown") {
        b->OnMouseDown = handler();
        g_replace = [b] { b->OnMouseDown = nullptr; };
        QTest::mouseClick(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "OnMouseUp") {
        b->OnMouseUp = handler();
        g_replace = [b] { b->OnMouseUp = nullptr; };
        QTest::mouseClick(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "OnEnter") {
        b->OnEnter = handler();
        g_replace = [b] { b->OnEnter = nullptr; };
        b->setFocus(Qt::TabFocusReason);
    } else {
        b->OnKeyDown = handler();
        g_replace = [b] { b->OnKeyDown = nullptr; };
        b->setFocus(Qt::TabFocusReason);
        QTest::keyClick(b, Qt::Key_A);
    }
    g_replace = nullptr;
    QCOMPARE(Probe::alive, 0); // the replaced handler is gone in the end
    QVERIFY(g_aliveAfterReplace != -1); // it ran
    QVERIFY2(g_aliveAfterReplace > 0, "the running handler was destroyed under it");
}

// A handler may delete the button; the button then stops at once. A memory checker (valgrind) shows
// whether anything touched the dead button; the test itself checks that nothing else ran. (Not from
// OnEnter, OnMouseEnter or OnMouseLeave: Qt itself goes on using a widget deleted inside its focus-in
// or crossing events.)
void TestCuteButtonHandlers::handlerDeletingTheButton_data()
{
    QTest::addColumn<QString>("event");
    QTest::newRow("OnClick by the mouse") << QStringLiteral("click mouse");
    QTest::newRow("OnClick by Return") << QStringLiteral("click return");
    QTest::newRow("OnClick by Space") << QStringLiteral("click space");
    QTest::newRow("OnClick with EgnoreContClick") << QStringLiteral("click egnore");
    QTest::newRow("OnMouseDown") << QStringLiteral("down");
    QTest::newRow("OnExit") << QStringLiteral("exit");
    QTest::newRow("menu dropped by a hold") << QStringLiteral("menu hold");
    QTest::newRow("menu dropped by Return") << QStringLiteral("menu return");
}

void TestCuteButtonHandlers::handlerDeletingTheButton()
{
    QFETCH(QString, event);
    Stage s;
    QPointer<TCuteButton> b = s.b;
    int ran = 0;
    auto kill = [&] {
        ++ran;
        delete b.data();
    };
    auto killer = [kill](auto &&...) { kill(); };
    MenuWatch w(5000);
    if (event.startsWith("click")) {
        b->setEgnoreContClick(event.endsWith("egnore"));
        b->OnClick = killer;
        b->setFocus(Qt::TabFocusReason);
        if (event.endsWith("return"))
            QTest::keyPress(b, Qt::Key_Return);
        else if (event.endsWith("space"))
            QTest::keyClick(b, Qt::Key_Space);
        else
            QTest::mouseClick(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "down") {
        b->OnMouseDown = killer;
        QTest::mousePress(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "exit") {
        b->OnExit = killer;
        b->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(b->hasFocus());
        s.other->setFocus(Qt::TabFocusReason);
    } else {
        b->setDropDownMenu(&w.menu);
        QObject::connect(&w.menu, &QMenu::aboutToShow, &w.menu, [&] {
            QTimer::singleShot(50, &w.menu, [&] {
                kill();
                w.menu.close();
            });
        });
        if (event == "menu hold") {
            b->setDropDownDelay(100);
            QTest::mousePress(b, Qt::LeftButton, {}, s.centre());
            QTRY_COMPARE(w.shown, 1);
        } else {
            b->setFocus(Qt::TabFocusReason);
            QTest::keyPress(b, Qt::Key_Return);
        }
    }
    QTRY_VERIFY(!b);
    QCOMPARE(ran, 1);
    QTest::qWait(50);
    QCOMPARE(s.clicks, 0);
    QVERIFY(s.log.isEmpty()); // nothing ran after the deletion (no MouseUp)
    if (event == "down" || event == "menu hold") // let the made-up mouse go
        QTest::mouseRelease(s.window(), Qt::LeftButton, {}, QPoint(300, 190));
}

PZ_GUI_TEST_MAIN(TestCuteButtonHandlers)
#include "tst_cutebtn_handlers.moc"
