// The PC check through the flash timers: a clock of the test's puts every flash just after its due
// time, or a paint makes one flash late, or a real stall of the thread makes a tick missed.
#include "drill/pacecheck.h"
#include "settings/rand.h"
#include "support/flashbound.h"

#include <QThread>
#include <QTimer>
#include <QtTest>

using namespace std::chrono_literals;

class TestPaceCheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { flashbound::install(); }
    void check_data();
    void check();
    void verdict_data();
    void verdict();
};

void TestPaceCheck::verdict_data()
{
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<int>("worstLateUs");
    QTest::addColumn<int>("missed");
    QTest::addColumn<bool>("keeps");
    QTest::newRow("十段, a missed tick") << 99 << 300 << 1 << false;
    QTest::newRow("fastest, a missed tick within a frame") << 1 << 1200 << 3 << true;
    QTest::newRow("fastest, later than a frame") << 1 << 16800 << 0 << false;
    QTest::newRow("十段, within a frame") << 99 << 16700 << 0 << true;
    // Ticks a frame apart (17 ms, the frame rounded up) are on the screen's beat: a lost one counts.
    QTest::newRow("a frame apart, a missed tick") << 17 << 300 << 1 << false;
    QTest::newRow("under a frame apart, a missed tick") << 16 << 300 << 1 << true;
}

void TestPaceCheck::verdict()
{
    QFETCH(int, intervalMs);
    pacecheck::Figures f;
    f.pace.intervalMs = quint32(intervalMs);
    QFETCH(int, worstLateUs);
    QFETCH(int, missed);
    f.worstLateUs = worstLateUs;
    f.missedTicks = missed;
    QTEST(f.keepsPace(), "keeps");
    QTEST(pacecheck::keepsPace({f}), "keeps");
}

void TestPaceCheck::check_data()
{
    QTest::addColumn<QStringList>("tenthDan"); // the classroom's 十段 lines; none: no classroom
    QTest::addColumn<bool>("fastest");
    QTest::addColumn<int>("perPaceMs");
    QTest::addColumn<int>("slowPaint"); // this flash's paint takes 17 ms (on the test's clock)
    QTest::addColumn<int>("stall");     // after this flash the thread sleeps 350 ms (the real clock)
    QTest::addColumn<bool>("ramp");     // flash n ticks n × 0.1 ms late (else every flash 0.1 ms)
    QTest::addColumn<QString>("paceLine");
    QTest::addColumn<QString>("figuresLine");
    QTest::addColumn<QString>("lateLine");
    QTest::addColumn<int>("keeps"); // -1: not judged (1 ms ticks may be missed on a busy machine)

    const QString onTime = QStringLiteral("　表示までのおくれ 最大0.1ms・取りこぼし0回・ずれなし");
    const QString flat = QStringLiteral("　おくれ 中央値0.1ms 99%値0.1ms 最大0.1ms");
    QTest::newRow("on pace") << QStringList() << false << 500 << 0 << 0 << false
                             << QStringLiteral("十段（3桁15口3秒・標準の設定）間隔99ms・6回") << flat << onTime << 1;
    QTest::newRow("classroom's 十段") << QStringList{"2", "10", "2"} << false << 500 << 0 << 0 << false
                                     << QStringLiteral("十段（2桁10口2秒・教室の設定）間隔101ms・6回") << flat << onTime << 1;
    QTest::newRow("unusable 十段: the built-in one") << QStringList{"3", "15", "0.001"} << false << 300 << 0 << 0 << false
                                                    << QStringLiteral("十段（3桁15口3秒・標準の設定）間隔99ms・4回") << QString() << onTime << 1;
    QTest::newRow("fastest runs its interval") << QStringList() << true << 400 << 0 << 0 << false
                                               << QStringLiteral("最速（3桁99口1秒）間隔1ms・400回") << QString() << QString() << -1;
    // 150 flashes 0.1 … 15.0 ms late (time is up at flash 150: 150 ms + 15.0 ms): the 75th is the
    // median, the 149th the 99th percentile (nearest rank, 148.5 rounded up).
    QTest::newRow("fastest, each flash later than the one before") << QStringList() << true << 165 << 0 << 0 << true
        << QStringLiteral("最速（3桁99口1秒）間隔1ms・150回") << QStringLiteral("　おくれ 中央値7.5ms 99%値14.9ms 最大15.0ms")
        << QString() << 1;
    QTest::newRow("one paint a frame late") << QStringList() << false << 500 << 3 << 0 << false
                                            << QStringLiteral("十段（3桁15口3秒・標準の設定）間隔99ms・6回") << flat
                                            << QStringLiteral("　表示までのおくれ 最大17.1ms・取りこぼし0回・ずれあり") << 0;
    QTest::newRow("one stalled tick") << QStringList() << false << 900 << 0 << 2 << false << QString() << QString() << QString() << 0;
}

void TestPaceCheck::check()
{
    QFETCH(QStringList, tenthDan);
    QFETCH(bool, fastest);
    QFETCH(int, perPaceMs);
    QFETCH(int, slowPaint);
    QFETCH(int, stall);
    QFETCH(bool, ramp);
    QFETCH(QString, paceLine);
    QFETCH(QString, figuresLine);
    QFETCH(QString, lateLine);
    QFETCH(int, keeps);

    QStringList settingsLines;
    if (!tenthDan.isEmpty())
        settingsLines = settings::defaultSettingsLines().mid(0, 57) + tenthDan;
    const pacecheck::Pace p = fastest ? pacecheck::fastest() : pacecheck::paces(settingsLines).front();

    pacecheck::Seams seams;
    seams.perPace = std::chrono::milliseconds(perPaceMs);
    pace::Clock::time_point now = pace::Clock::now();
    int flash = 0;
    if (stall) {
        seams.beforeFlash = [&](int f, pace::Clock::time_point) {
            if (f == stall) // once the handler has returned, while the next tick is due
                QTimer::singleShot(0, [] { QThread::msleep(350); });
        };
    } else {
        seams.clock = [&] { return now; };
        seams.beforeFlash = [&](int f, pace::Clock::time_point due) { flash = f, now = due + (ramp ? f : 1) * 100us; };
    }
    const pacecheck::Paint paint = [&](int) {
        if (flash == slowPaint)
            now += 17ms;
    };

    const std::vector<pacecheck::Figures> figures = pacecheck::run({p}, slowPaint ? paint : pacecheck::Paint(), seams);
    QCOMPARE(figures.size(), size_t(1));
    const QStringList report = pacecheck::report(figures);
    QCOMPARE(report.size(), 5);
    if (!paceLine.isEmpty())
        QCOMPARE(report[0], paceLine);
    if (!figuresLine.isEmpty())
        QCOMPARE(report[1], figuresLine);
    if (!lateLine.isEmpty())
        QCOMPARE(report[3], lateLine);
    const bool kept = keeps < 0 ? pacecheck::keepsPace(figures) : keeps;
    QCOMPARE(report.last(), kept ? QStringLiteral("判定: ずれなし（このパソコンは数字を1フレーム 16.7ms 以内に出せます）")
                                 : QStringLiteral("判定: ずれあり（このパソコンでは数字が1フレーム 16.7ms より遅れることがあります）"));
    if (keeps >= 0 && !fastest) // 1 ms ticks may be missed on a busy machine
        QCOMPARE(figures[0].missedTicks > 0, bool(stall));
}

QTEST_GUILESS_MAIN(TestPaceCheck)
#include "tst_core_pacecheck.moc"
