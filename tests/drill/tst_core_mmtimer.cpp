// TMMTimer: its surface, where its ticks run, and what happens when the owner's thread is late.
#include "tests/support/eventloop.h"
#include "drill/MMTimer.h"
#include "base/errors.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

using namespace std::chrono_literals;

namespace {
// Keeps the calling thread busy without running its event loop.
void busy(int ms) { QThread::msleep(ms); }

void run(int ms) { runUntil([] { return false; }, ms); }

// Keeps the calling thread busy, without running its event loop, until the timer's tick has been
// posted to it and is waiting; false if none came within a generous time.
bool busyUntilATickWaits(const TMMTimer &t)
{
    QDeadlineTimer limit(20000);
    while (t.line()->waitingCount() == 0) {
        if (limit.hasExpired())
            return false;
        QThread::msleep(1);
    }
    return true;
}
} // namespace

class CountingTimer : public TMMTimer {
public:
    using TMMTimer::TMMTimer;
    int ticks = 0;
protected:
    void Tick() override { ++ticks; TMMTimer::Tick(); }
};

class TestMMTimer : public QObject {
    Q_OBJECT
private slots:
    void init() { errors.clear(); pz::setErrorSink([this](const QString &t) { errors << t; }); }
    void cleanup() { pz::setErrorSink({}); }

    void newTimerIsOff();
    void replyTimeout_data();
    void replyTimeout();
    void enablingWithoutHandlerStartsNothing();
    void zeroIntervalStartsNothing();
    void ticksRunOnTheOwnersThread();
    void disablingStops();
    void sameIntervalDoesNotRestart();
    void restartOnEveryChange_data();
    void restartOnEveryChange();
    void busyHandlerSwitchesItOff();
    void tickNotTakenIsNeverRunLate();
    void stoppingWhileATickWaits();
    void destroyingWhileATickWaits();
    void exceptionIsReportedAndTimerGoesOn();
    void exceptionIsReportedAfterTheTick();
    void tickIsVirtual();

private:
    QStringList errors;
};

void TestMMTimer::newTimerIsOff()
{
    TMMTimer t;
    QVERIFY(!t.Enabled());
    QCOMPARE(t.Interval(), 1000u);
    QCOMPARE(t.replyTimeout(), 900u);
    QVERIFY(!t.OnTimer());
    QCOMPARE(t.property("Enabled").toBool(), false);
    QCOMPARE(t.property("Interval").toUInt(), 1000u);
}

void TestMMTimer::replyTimeout_data()
{
    QTest::addColumn<uint>("interval");
    QTest::addColumn<uint>("timeout");
    QTest::newRow("995: 895.5 to the even 896") << 995u << 896u;
    QTest::newRow("985: 886.5 to the even 886") << 985u << 886u;
    QTest::newRow("99: 89.1") << 99u << 89u;
    QTest::newRow("232: 208.8") << 232u << 209u;
    QTest::newRow("15: 13.5 to the even 14") << 15u << 14u;
    QTest::newRow("5: 4.5 to the even 4") << 5u << 4u;
    QTest::newRow("1: 0.9") << 1u << 1u;
    QTest::newRow("0") << 0u << 0u;
    QTest::newRow("1000, the default: 900") << 1000u << 900u;
    QTest::newRow("largest: 3865470565.5 to the even 3865470566") << 4294967295u << 3865470566u;
}

void TestMMTimer::replyTimeout()
{
    QFETCH(uint, interval);
    QFETCH(uint, timeout);
    TMMTimer t;
    t.setInterval(interval);
    QCOMPARE(t.Interval(), interval);
    QCOMPARE(t.replyTimeout(), timeout);
    QCOMPARE(TMMTimer::replyTimeoutFor(interval), timeout);
}

void TestMMTimer::enablingWithoutHandlerStartsNothing()
{
    TMMTimer t;
    t.setInterval(20);
    t.setEnabled(true);
    QVERIFY(t.Enabled());
    // No event runs: nothing posts a tick, however long it is left.
    QDeadlineTimer quiet(150);
    while (!quiet.hasExpired()) {
        QCOMPARE(t.line()->waitingCount(), 0);
        QThread::msleep(5);
    }
    run(50);
    QCOMPARE(t.line()->abandonedCount(), quint64(0));
    QCOMPARE(t.missedTicks(), quint64(0));
    int ticks = 0;
    t.setOnTimer([&](QObject *) { ++ticks; }); // assigning the handler starts it
    QVERIFY(runUntil([&] { return ticks >= 1; }, 10000));
}

void TestMMTimer::zeroIntervalStartsNothing()
{
    TMMTimer t;
    int ticks = 0;
    t.setOnTimer([&](QObject *) { ++ticks; });
    t.setInterval(0);
    t.setEnabled(true);
    run(200);
    QCOMPARE(ticks, 0);
    t.setInterval(20);
    QVERIFY(runUntil([&] { return ticks >= 1; }, 10000));
}

void TestMMTimer::ticksRunOnTheOwnersThread()
{
    TMMTimer t;
    QList<QObject *> senders;
    bool onOwnersThread = true;
    t.setInterval(50);
    t.setOnTimer([&](QObject *sender) {
        senders << sender;
        onOwnersThread = onOwnersThread && QThread::currentThread() == thread();
    });
    t.setEnabled(true);
    QVERIFY(runUntil([&] { return senders.size() >= 3; }, 10000));
    QVERIFY(onOwnersThread);
    QVERIFY(std::all_of(senders.begin(), senders.end(), [&](QObject *s) { return s == &t; }));
    QVERIFY(t.Enabled());
}

void TestMMTimer::disablingStops()
{
    TMMTimer t;
    int ticks = 0;
    t.setInterval(30);
    t.setOnTimer([&](QObject *) { ++ticks; });
    t.setEnabled(true);
    QVERIFY(runUntil([&] { return ticks >= 2; }, 10000));
    t.setEnabled(false);
    const int at = ticks;
    run(150);
    QCOMPARE(ticks, at);
}

void TestMMTimer::sameIntervalDoesNotRestart()
{
    // Two timers started together; at 60% of the period one is given its own interval again
    // (no restart) and the other is switched off and on (a restart). The first ticks first.
    TMMTimer kept, restarted;
    QStringList order;
    for (TMMTimer *t : {&kept, &restarted}) {
        t->setInterval(400);
        t->setOnTimer([&order, t, &kept](QObject *) {
            order << (t == &kept ? "kept" : "restarted");
            t->setEnabled(false);
        });
    }
    kept.setEnabled(true);
    restarted.setEnabled(true);
    run(240);
    if (!order.isEmpty())
        QSKIP("the machine was too slow: a tick came before the change");
    kept.setInterval(400);
    QCOMPARE(kept.replyTimeout(), 360u);
    restarted.setEnabled(false);
    restarted.setEnabled(true);
    QVERIFY(runUntil([&] { return order.size() == 2; }, 10000));
    QCOMPARE(order, (QStringList{"kept", "restarted"}));
}

void TestMMTimer::restartOnEveryChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("a new interval") << "interval";
    QTest::newRow("off and on") << "enabled";
    QTest::newRow("a new handler") << "handler";
}

void TestMMTimer::restartOnEveryChange()
{
    // As above, but the change restarts the changed timer's period: the untouched one ticks first.
    QFETCH(QString, change);
    TMMTimer untouched, changed;
    QStringList order;
    auto handler = [&order, &untouched](TMMTimer *t) {
        return [&order, &untouched, t](QObject *) {
            order << (t == &untouched ? "untouched" : "changed");
            t->setEnabled(false);
        };
    };
    untouched.setInterval(400);
    changed.setInterval(400);
    untouched.setOnTimer(handler(&untouched));
    changed.setOnTimer(handler(&changed));
    untouched.setEnabled(true);
    changed.setEnabled(true);
    run(240);
    if (!order.isEmpty())
        QSKIP("the machine was too slow: a tick came before the change");
    if (change == "interval")
        changed.setInterval(401);
    else if (change == "enabled") {
        changed.setEnabled(false);
        changed.setEnabled(true);
    } else
        changed.setOnTimer(handler(&changed));
    QVERIFY(runUntil([&] { return order.size() == 2; }, 10000));
    QCOMPARE(order, (QStringList{"untouched", "changed"}));
}

void TestMMTimer::busyHandlerSwitchesItOff()
{
    TMMTimer t;
    QSignalSpy off(&t, &TMMTimer::switchedOff);
    int ticks = 0;
    t.setInterval(40); // the tick waits 36 ms for the GUI thread
    t.setOnTimer([&](QObject *) {
        ++ticks;
        busy(150);
    });
    t.setEnabled(true);
    QVERIFY(runUntil([&] { return off.size() == 1; }, 10000));
    QVERIFY(!t.Enabled());
    QVERIFY(t.missedTicks() >= 1);
    const int at = ticks;
    run(300);
    QCOMPARE(ticks, at); // it stays off
    QCOMPARE(off.size(), 1);
}

void TestMMTimer::tickNotTakenIsNeverRunLate()
{
    TMMTimer t;
    QSignalSpy off(&t, &TMMTimer::switchedOff);
    int ticks = 0;
    t.setInterval(20);
    t.setOnTimer([&](QObject *) { ++ticks; });
    t.setEnabled(true);
    busy(200); // the first tick comes at 20 ms and gives up at 38 ms
    QVERIFY(runUntil([&] { return off.size() == 1; }, 10000));
    run(100);
    QCOMPARE(ticks, 0);
    QVERIFY(!t.Enabled());
    QCOMPARE(t.missedTicks(), quint64(1));
    // It runs again once enabled again.
    t.setEnabled(true);
    QVERIFY(runUntil([&] { return ticks >= 1; }, 10000));
}

void TestMMTimer::stoppingWhileATickWaits()
{
    // The tick is waiting for this thread when this thread stops the timer: no deadlock, the
    // waiting tick is dropped, and the timer is not counted as having missed it.
    TMMTimer t;
    QSignalSpy off(&t, &TMMTimer::switchedOff);
    int ticks = 0;
    t.setInterval(1000); // a tick waits up to 900 ms
    t.setOnTimer([&](QObject *) { ++ticks; });
    t.setEnabled(true);
    QVERIFY(busyUntilATickWaits(t));
    t.setEnabled(false);
    QCOMPARE(t.line()->droppedCount(), quint64(1));
    run(100);
    QCOMPARE(ticks, 0);
    QCOMPARE(off.size(), 0);
    QCOMPARE(t.missedTicks(), quint64(0));
    QCOMPARE(t.line()->abandonedCount(), quint64(1)); // dropped, not timed out
    QCOMPARE(t.line()->waitingCount(), 0);
    QVERIFY(!t.Enabled());
}

void TestMMTimer::destroyingWhileATickWaits()
{
    int ticks = 0;
    std::shared_ptr<const hirestimer::Line> line;
    {
        TMMTimer t;
        line = t.line();
        t.setInterval(1000);
        t.setOnTimer([&](QObject *) { ++ticks; });
        t.setEnabled(true);
        QVERIFY(busyUntilATickWaits(t));
    }
    // Given up by the destruction itself, not left to time out.
    QCOMPARE(line->droppedCount(), quint64(1));
    run(100);
    QCOMPARE(ticks, 0);
    QCOMPARE(line->abandonedCount(), quint64(1));
    QVERIFY(QTest::qWaitFor([&] { return line->waitingCount() == 0; }, 10000));
}

void TestMMTimer::exceptionIsReportedAndTimerGoesOn()
{
    TMMTimer t;
    QSignalSpy off(&t, &TMMTimer::switchedOff);
    int ticks = 0;
    t.setInterval(100); // a tick waits up to 90 ms: no tick is missed even on a busy machine
    t.setOnTimer([&](QObject *) {
        ++ticks;
        throw pz::ConversionError(QStringLiteral("x%1").arg(ticks));
    });
    t.setEnabled(true);
    // Each report comes just after its tick.
    QVERIFY(runUntil([&] { return ticks >= 3 && errors.size() >= 3; }, 10000));
    QVERIFY(t.Enabled());
    QCOMPARE(off.size(), 0);
    QVERIFY2(errors.first().contains(QStringLiteral("'x1'")), qPrintable(errors.first()));
}

void TestMMTimer::exceptionIsReportedAfterTheTick()
{
    // The report is a modal box with a loop of its own. Shown inside the tick it would keep the
    // timer thread waiting past its time-out: the timer would switch itself off, and whoever
    // recovers from that would run the tick a second time.
    TMMTimer t;
    QSignalSpy off(&t, &TMMTimer::switchedOff);
    int calls = 0;
    int reports = 0;
    int callsAtReport = -1;
    pz::setErrorSink([&](const QString &) {
        ++reports;
        callsAtReport = calls;
        run(1500); // the box stays up three periods, its loop taking the ticks
    });
    t.setInterval(500); // a tick waits up to 450 ms
    t.setOnTimer([&](QObject *) {
        if (++calls == 1)
            throw pz::ConversionError(QStringLiteral("x"));
    });
    t.setEnabled(true);
    QVERIFY(runUntil([&] { return reports == 1 && calls >= 4; }, 20000));
    QCOMPARE(reports, 1);
    QCOMPARE(callsAtReport, 1); // the throwing tick ran once
    QVERIFY(t.Enabled());
    QCOMPARE(off.size(), 0);
    QCOMPARE(t.missedTicks(), quint64(0));
}

void TestMMTimer::tickIsVirtual()
{
    CountingTimer t;
    int handled = 0;
    t.setInterval(30);
    t.setOnTimer([&](QObject *) { ++handled; });
    t.setEnabled(true);
    QVERIFY(runUntil([&] { return t.ticks >= 2; }, 10000));
    t.setEnabled(false);
    QCOMPARE(handled, t.ticks);
}

QTEST_GUILESS_MAIN(TestMMTimer)
#include "tst_core_mmtimer.moc"
