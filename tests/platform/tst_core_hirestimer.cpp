// The high-resolution timer layer: periodic events on the timer thread and the time-limited
// synchronous hand-off to the thread that owns the receiver.
#include "platform/handoff.h"
#include "platform/hirestimer.h"

#include <QtTest>
#include <QThread>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using hirestimer::Line;
using hirestimer::Ticket;

class TestHiResTimer : public QObject {
    Q_OBJECT
private slots:
    void periodicUntilKilled();
    void zeroPeriodStartsNothing();
    void overrunSkipsToTheNextGridDeadline();
    void killFromItsOwnCallback();
    void killDoesNotWaitForABlockedCallback();
    void earlierEventIsNotHeldUpByALaterOne();
    void sendIsAnsweredOnTheReceivingThread();
    void messageNotTakenInTimeIsNeverHandled();
    void abandonPendingReleasesTheSenderAtOnce();
    void closedLineAnswersNothing();
    void noticesAreHandledWithoutReply();
};

void TestHiResTimer::periodicUntilKilled()
{
    std::atomic<int> ticks{0};
    std::atomic<bool> offThread{true};
    const auto main = std::this_thread::get_id();
    const hirestimer::EventId id = hirestimer::setEvent(5, [&](hirestimer::EventId, hirestimer::Clock::time_point) {
        ++ticks;
        if (std::this_thread::get_id() == main)
            offThread = false;
    });
    QVERIFY(id != 0);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.load() >= 5, 10000);
    QVERIFY(offThread.load());
    QVERIFY(hirestimer::killEvent(id));
    QThread::msleep(20); // a callback under way when it was killed finishes
    const int after = ticks.load();
    QThread::msleep(100);
    QCOMPARE(ticks.load(), after);
    QVERIFY(!hirestimer::killEvent(id)); // already gone
}

void TestHiResTimer::zeroPeriodStartsNothing()
{
    QCOMPARE(hirestimer::setEvent(0, [](hirestimer::EventId, hirestimer::Clock::time_point) {}), hirestimer::EventId(0));
    QVERIFY(!hirestimer::killEvent(0));
}

void TestHiResTimer::overrunSkipsToTheNextGridDeadline()
{
    // The first callback of a 10 ms event blocks for about 55 ms. The deadlines it overran are
    // skipped: the next call is for the first grid deadline after it returned, never a burst of
    // catch-up calls for the ones missed.
    using namespace std::chrono;
    struct Call {
        hirestimer::Clock::time_point start, end, due;
    };
    std::mutex m;
    std::vector<Call> calls;
    const hirestimer::EventId id = hirestimer::setEvent(10, [&](hirestimer::EventId, hirestimer::Clock::time_point due) {
        Call c{hirestimer::Clock::now(), {}, due};
        bool first;
        {
            std::lock_guard<std::mutex> lock(m);
            first = calls.empty();
        }
        if (first)
            std::this_thread::sleep_for(milliseconds(55));
        c.end = hirestimer::Clock::now();
        std::lock_guard<std::mutex> lock(m);
        calls.push_back(c);
    });
    QTRY_VERIFY_WITH_TIMEOUT(([&] { std::lock_guard<std::mutex> lock(m); return calls.size() >= 3; }()), 5000);
    hirestimer::killEvent(id);
    std::lock_guard<std::mutex> lock(m);
    const Call &first = calls[0], &second = calls[1], &third = calls[2];
    const auto gridSteps = [](hirestimer::Clock::duration d) { return duration<double, std::milli>(d).count() / 10.0; };
    // On the grid, and the first deadline after the block ended.
    const double steps = gridSteps(second.due - first.due);
    QVERIFY2(std::abs(steps - std::round(steps)) < 0.01, qPrintable(QString::number(steps)));
    QVERIFY2(second.due >= first.end, "a deadline the callback overran was made up");
    QVERIFY2(second.due - first.end < milliseconds(10), "more than the overrun deadlines was skipped");
    QVERIFY(second.start >= second.due - milliseconds(1));
    // And the grid goes on from there.
    QCOMPARE(std::lround(gridSteps(third.due - second.due)), 1L);
    QVERIFY(third.start - second.end > milliseconds(5));
}

void TestHiResTimer::killFromItsOwnCallback()
{
    std::atomic<int> ticks{0};
    hirestimer::setEvent(2, [&](hirestimer::EventId self, hirestimer::Clock::time_point) {
        ++ticks;
        hirestimer::killEvent(self);
    });
    QTRY_COMPARE_WITH_TIMEOUT(ticks.load(), 1, 10000);
    QThread::msleep(50);
    QCOMPARE(ticks.load(), 1);
}

void TestHiResTimer::killDoesNotWaitForABlockedCallback()
{
    // The callback is blocked (as a tick waiting for the GUI thread is) when this thread kills
    // its event: the kill returns at once, before the callback is let go.
    std::mutex m;
    std::condition_variable cv;
    bool released = false, gaveUp = false;
    std::atomic<int> calls{0};
    const auto id = hirestimer::setEvent(5, [&](hirestimer::EventId, hirestimer::Clock::time_point) {
        ++calls;
        std::unique_lock lock(m);
        // A safety net far beyond any wait: a kill that waited for the callback would return
        // only after it.
        gaveUp = !cv.wait_for(lock, 30s, [&] { return released; });
    });
    QTRY_VERIFY_WITH_TIMEOUT(calls.load() == 1, 10000);
    QVERIFY(hirestimer::killEvent(id));
    {
        std::lock_guard lock(m);
        QVERIFY(!gaveUp);
        released = true;
    }
    cv.notify_all();
    QThread::msleep(50);
    QCOMPARE(calls.load(), 1); // killed: no further call
    QVERIFY(!gaveUp);
}

void TestHiResTimer::earlierEventIsNotHeldUpByALaterOne()
{
    // The timer thread sleeps towards the 10 s event; a 5 ms event added later must wake it.
    std::atomic<int> slow{0}, fast{0};
    const auto slowId = hirestimer::setEvent(10000, [&](hirestimer::EventId, hirestimer::Clock::time_point) { ++slow; });
    const auto fastId = hirestimer::setEvent(5, [&](hirestimer::EventId self, hirestimer::Clock::time_point) {
        ++fast;
        hirestimer::killEvent(self);
    });
    QTRY_COMPARE_WITH_TIMEOUT(fast.load(), 1, 5000);
    QCOMPARE(slow.load(), 0);
    QVERIFY(hirestimer::killEvent(slowId));
    QVERIFY(!hirestimer::killEvent(fastId));
}

void TestHiResTimer::sendIsAnsweredOnTheReceivingThread()
{
    QThread *handledOn = nullptr;
    quint64 tagSeen = 0;
    auto line = Line::create([&](const Ticket &t) -> qintptr {
        handledOn = QThread::currentThread();
        tagSeen = t.tag;
        return 3333;
    });
    std::atomic<qintptr> reply{-1};
    std::thread sender([&] { reply = line->send(42, 5s); });
    QTRY_VERIFY_WITH_TIMEOUT(reply.load() != -1, 10000);
    sender.join();
    QCOMPARE(reply.load(), qintptr(3333));
    QCOMPARE(handledOn, QThread::currentThread());
    QCOMPARE(tagSeen, quint64(42));
    line->close();
}

void TestHiResTimer::messageNotTakenInTimeIsNeverHandled()
{
    int handled = 0;
    auto line = Line::create([&](const Ticket &) -> qintptr { ++handled; return 3333; });
    qintptr reply = -1;
    // The receiving thread is busy (it is joining the sender) until the time-out has passed.
    std::thread sender([&] { reply = line->send(1, 20ms); });
    sender.join();
    QCOMPARE(reply, qintptr(0));
    QCOMPARE(line->abandonedCount(), quint64(1));
    // Now the receiving thread gets to the message: it is dropped, not handled late.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(handled, 0);
    line->close();
}

void TestHiResTimer::abandonPendingReleasesTheSenderAtOnce()
{
    int handled = 0;
    auto line = Line::create([&](const Ticket &) -> qintptr { ++handled; return 3333; });
    std::atomic<qintptr> reply{-1};
    std::thread sender([&] { reply = line->send(1, 60s); });
    // Without taking messages, give it up from the receiving thread until the sender lets go
    // (the first calls may come before it has posted anything). Far short of its 60 s.
    QDeadlineTimer limit(20000);
    while (reply.load() == -1 && !limit.hasExpired()) {
        line->abandonPending();
        QThread::msleep(1);
    }
    sender.join();
    QVERIFY(!limit.hasExpired());
    QCOMPARE(reply.load(), qintptr(0));
    QCOMPARE(line->droppedCount(), quint64(1));
    QCOMPARE(line->abandonedCount(), quint64(1));
    QCOMPARE(line->waitingCount(), 0);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(handled, 0);
    line->close();
}

void TestHiResTimer::closedLineAnswersNothing()
{
    int handled = 0;
    auto line = Line::create([&](const Ticket &) -> qintptr { ++handled; return 3333; });
    line->close();
    qintptr reply = -1;
    std::thread sender([&] { reply = line->send(1, 5s); });
    sender.join();
    QCOMPARE(reply, qintptr(0));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(handled, 0);
}

void TestHiResTimer::noticesAreHandledWithoutReply()
{
    QList<quint64> notices;
    auto line = Line::create([&](const Ticket &t) -> qintptr {
        if (!t.wantsReply)
            notices << t.tag;
        return 0;
    });
    std::thread poster([&] { line->post(7); line->post(8); });
    poster.join();
    QTRY_COMPARE_WITH_TIMEOUT(notices, (QList<quint64>{7, 8}), 5000);
    line->close();
}

QTEST_GUILESS_MAIN(TestHiResTimer)
#include "tst_core_hirestimer.moc"
