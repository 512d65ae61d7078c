// The flash sequence stepped by hand on the test's clock: what it reports and when each flash was
// due, a missed tick's work done late, a question ended early or dropped, and its measured pace.
#include "drill/flashsequence.h"

#include <QtTest>

using namespace std::chrono_literals;

class TestFlashSequence : public QObject {
    Q_OBJECT
private slots:
    void question_data();
    void question();
};

void TestFlashSequence::question_data()
{
    // Steps: "show T", "clear T" (a tick at T ms after the start), "miss-show T", "miss-clear T" (that
    // timer switched itself off, its tick not taken), "end" (the number on the screen is the last),
    // "stop", "again" (the next question at once). 20 s a flash: no real tick comes meanwhile.
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<QString>("after"); // phase, show timer, clear timer, numbers drawn, shown

    QTest::newRow("two numbers on the grid")
        << 2 << QStringList{"show 20000.1", "clear 40000.1", "show 60000.1", "clear 80000.1"}
        << QStringList{"due 1 at 20000", "show 11", "due 2 at 40000", "clear", "due 3 at 60000", "show 12",
                       "due 4 at 80000", "clear last", "finished 4 flashes, worst 100us, span 0us, missed 0"}
        << "idle off off 2 0";
    QTest::newRow("one late tick makes the rest late")
        << 2 << QStringList{"show 20000", "clear 40020", "show 60020", "clear 80020"}
        << QStringList{"due 1 at 20000", "show 11", "due 2 at 40000", "clear", "due 3 at 60000", "show 12",
                       "due 4 at 80000", "clear last", "finished 4 flashes, worst 20000us, span 20000us, missed 0"}
        << "idle off off 2 0";
    QTest::newRow("a missed number-on tick: its number comes late")
        << 2 << QStringList{"show 20000", "clear 40000", "miss-show 60300", "clear 80300"}
        << QStringList{"due 1 at 20000", "show 11", "due 2 at 40000", "clear", "due 3 at 60000", "show 12",
                       "due 4 at 80000", "clear last", "finished 4 flashes, worst 300000us, span 300000us, missed 1"}
        << "idle off off 2 0";
    QTest::newRow("a missed number-off tick: the question still ends")
        << 1 << QStringList{"show 20000", "miss-clear 40050"}
        << QStringList{"due 1 at 20000", "show 11", "due 2 at 40000", "clear last",
                       "finished 2 flashes, worst 50000us, span 50000us, missed 1"}
        << "idle off off 1 0";
    QTest::newRow("a switch-off of the timer not due is counted, no flash")
        << 1 << QStringList{"show 20000", "miss-show 30000", "clear 40000"}
        << QStringList{"due 1 at 20000", "show 11", "due 2 at 40000", "clear last",
                       "finished 2 flashes, worst 0us, span 0us, missed 1"}
        << "idle off off 1 0";
    QTest::newRow("ended early: the number on the screen is the last")
        << 5 << QStringList{"show 20000", "clear 40000", "show 60000", "end", "clear 80000"}
        << QStringList{"due 1 at 20000", "show 11", "due 2 at 40000", "clear", "due 3 at 60000", "show 12",
                       "due 4 at 80000", "clear last", "finished 4 flashes, worst 0us, span 0us, missed 0"}
        << "idle off off 2 0";
    QTest::newRow("dropped mid-question: a late recovery does nothing")
        << 3 << QStringList{"show 20000", "stop", "miss-clear 40000", "clear 40000"}
        << QStringList{"due 1 at 20000", "show 11"} << "idle off off 0 0";
    QTest::newRow("the next question starts its grid and its numbers afresh")
        << 1 << QStringList{"show 20000", "clear 40000", "again", "show 60000", "clear 80000"}
        << QStringList{"due 1 at 20000", "show 11", "due 2 at 40000", "clear last",
                       "finished 2 flashes, worst 0us, span 0us, missed 0", "due 1 at 60000", "show 11",
                       "due 2 at 80000", "clear last", "finished 2 flashes, worst 0us, span 0us, missed 0"}
        << "idle off off 1 0";
}

void TestFlashSequence::question()
{
    QFETCH(int, count);
    QFETCH(QStringList, steps);
    const pace::Clock::time_point start{1h};
    pace::Clock::time_point now = start;
    FlashSequence s;
    s.setClock([&] { return now; });
    QStringList reports;
    connect(&s, &FlashSequence::flashDue, [&](int flash, pace::Clock::time_point due) {
        reports << QStringLiteral("due %1 at %2").arg(flash).arg((due - start) / 1ms);
    });
    connect(&s, &FlashSequence::showNumber, [&](int n) { reports << QStringLiteral("show %1").arg(n); });
    connect(&s, &FlashSequence::clearNumber, [&](bool last) { reports << (last ? "clear last" : "clear"); });
    connect(&s, &FlashSequence::finished, [&](const pace::QuestionPace &q) {
        reports << QStringLiteral("finished %1 flashes, worst %2us, span %3us, missed %4")
                       .arg(q.flashes).arg(q.worstLateUs).arg(q.spanErrorUs).arg(q.missedTicks);
    });
    const auto begin = [&] { s.start(20000, count, [](int index) { return 10 + index; }); };
    begin();
    QCOMPARE(s.interval(), 20000u);
    for (const QString &step : steps) {
        const QStringList w = step.split(QLatin1Char(' '));
        if (w.size() > 1)
            now = start + std::chrono::microseconds(qRound64(w[1].toDouble() * 1000));
        TMMTimer *missed = w[0] == "miss-show" ? s.showTimer() : (w[0] == "miss-clear" ? s.clearTimer() : nullptr);
        if (missed) {
            missed->setEnabled(false);
            emit missed->switchedOff();
        } else if (w[0] == "show") {
            s.showTick();
        } else if (w[0] == "clear") {
            s.clearTick();
        } else if (w[0] == "end") {
            s.endWithThisNumber();
        } else if (w[0] == "stop") {
            s.stop();
        } else if (w[0] == "again") {
            begin();
        }
    }
    QTEST(reports, "reports");
    static const char *const phases[] = {"idle", "gap", "shown"};
    const auto onOff = [](const TMMTimer *t) { return t->Enabled() ? "on" : "off"; };
    QTEST(QStringLiteral("%1 %2 %3 %4 %5")
              .arg(phases[int(s.phase())], onOff(s.showTimer()), onOff(s.clearTimer()))
              .arg(s.numberIndex()).arg(s.shownCount()),
          "after");
}

QTEST_GUILESS_MAIN(TestFlashSequence)
#include "tst_core_flashsequence.moc"
