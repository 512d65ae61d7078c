// The PC check through the flash timers: a clock of the test's puts every flash just after its due
// time, or a paint makes one flash late, or a real stall of the thread makes a tick missed.
#include "drill/pacecheck.h"
#include "settings/rand.h"

#include <QThread>
#include <QTimer>
#include <QtTest>

using namespace std::chrono_literals;

class TestPaceCheck : public QObject {
    Q_OBJECT
private slots:
    void check_data();
    void check();
    void verdict_data();
    void verdict();
};

void TestPaceCheck::verdict_data()
{
    QTest::addColumn<bool>("fastest");
    QTest::addColumn<int>("worstLateUs");
    QTest::addColumn<int>("missed");
    QTest::addColumn<bool>("keeps");
    QTest::newRow("十段, a missed tick") << false << 300 << 1 << false;
    QTest::newRow("fastest, a missed tick within a frame") << true << 1200 << 3 << true;
    QTest::newRow("fastest, later than a frame") << true << 16800 << 0 << false;
    QTest::newRow("十段, within a frame") << false << 16700 << 0 << true;
}

void TestPaceCheck::verdict()
{
    QFETCH(bool, fastest);
    pacecheck::Figures f;
    f.pace = fastest ? pacecheck::fastest() : pacecheck::tenthDan({});
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
    QTest::addColumn<QString>("paceLine");
    QTest::addColumn<QString>("lateLine");
    QTest::addColumn<int>("keeps"); // -1: not judged (1 ms ticks may be missed on a busy machine)

    const QString onTime = QStringLiteral("　表示までのおくれ 最大0.1ms・取りこぼし0回・ずれなし");
    QTest::newRow("on pace") << QStringList() << false << 500 << 0 << 0
                             << QStringLiteral("十段（3桁15口3秒・標準の設定）間隔99ms・6回") << onTime << 1;
    QTest::newRow("classroom's 十段") << QStringList{"2", "10", "2"} << false << 500 << 0 << 0
                                     << QStringLiteral("十段（2桁10口2秒・教室の設定）間隔101ms・6回") << onTime << 1;
    QTest::newRow("unusable 十段: the built-in one") << QStringList{"3", "15", "0.001"} << false << 300 << 0 << 0
                                                    << QStringLiteral("十段（3桁15口3秒・標準の設定）間隔99ms・4回") << onTime << 1;
    QTest::newRow("fastest runs its interval") << QStringList() << true << 400 << 0 << 0
                                               << QStringLiteral("最速（3桁99口1秒）間隔1ms・400回") << QString() << -1;
    QTest::newRow("one paint a frame late") << QStringList() << false << 500 << 3 << 0
                                            << QStringLiteral("十段（3桁15口3秒・標準の設定）間隔99ms・6回")
                                            << QStringLiteral("　表示までのおくれ 最大17.1ms・取りこぼし0回・ずれあり") << 0;
    QTest::newRow("one stalled tick") << QStringList() << false << 900 << 0 << 2 << QString() << QString() << 0;
}

void TestPaceCheck::check()
{
    QFETCH(QStringList, tenthDan);
    QFETCH(bool, fastest);
    QFETCH(int, perPaceMs);
    QFETCH(int, slowPaint);
    QFETCH(int, stall);
    QFETCH(QString, paceLine);
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
        seams.beforeFlash = [&](int f, pace::Clock::time_point due) { flash = f, now = due + 100us; };
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
    if (!lateLine.isEmpty())
        QCOMPARE(report[3], lateLine);
    const bool kept = pacecheck::keepsPace(figures);
    QCOMPARE(report.last(), pacecheck::verdictLine(kept));
    QVERIFY(report.last().startsWith(kept ? QStringLiteral("判定: ずれなし") : QStringLiteral("判定: ずれあり")));
    if (keeps < 0)
        return;
    QCOMPARE(figures[0].missedTicks > 0, bool(stall));
    QCOMPARE(int(kept), keeps);
}

QTEST_GUILESS_MAIN(TestPaceCheck)
#include "tst_core_pacecheck.moc"
