// The flash presentation's rules: the display interval, the number label's place and which
// parameters the presentation refuses.
#include "drill/flashrules.h"
#include "settings/graderules.h"
#include "base/errors.h"

#include <QtTest>

#include <limits>

class TestFlashRules : public QObject {
    Q_OBJECT
private slots:
    void displayInterval_data();
    void displayInterval();
    void placement_data();
    void placement();
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void grade_data();
    void grade();
};

void TestFlashRules::displayInterval_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("interval");
    QTest::newRow("10級 1/4/4: 571.43 -> 567") << 4.0 << 4 << qint64(567);
    QTest::newRow("6級 2/3/3: exact quotient 600 -> 595") << 3.0 << 3 << qint64(595);
    QTest::newRow("1級 3/5/5: 555.56 -> 551") << 5.0 << 5 << qint64(551);
    QTest::newRow("五段 3/10/4.5: 236.84 -> 232") << 4.5 << 10 << qint64(232);
    QTest::newRow("十段 3/15/3: 103.45 -> 99") << 3.0 << 15 << qint64(99);
    QTest::newRow("S=1, N=99: 5.08 -> 1") << 1.0 << 99 << qint64(1);
    QTest::newRow("S=99, N=2: 33000 -> 32995") << 99.0 << 2 << qint64(32995);
    QTest::newRow("one number: the whole time") << 2.0 << 1 << qint64(1995);
    QTest::newRow("whole in decimal, a hair above in binary: 4.07 s over 6 (370)") << 4.07 << 6 << qint64(365);
    QTest::newRow("whole in decimal, a hair above in binary: 4.03 s over 7 (310)") << 4.03 << 7 << qint64(305);
    QTest::newRow("whole in decimal, a hair above in binary: 8.13 s over 2 (2710)") << 8.13 << 2 << qint64(2705);
    QTest::newRow("just above a whole number rounds up: 0.3006 s over 1") << 0.3006 << 1 << qint64(296);
    QTest::newRow("a true fraction just above a whole number rounds up: 1.0000000001 s over 3 (200.00000002)") << 1.0000000001 << 3 << qint64(196);
    QTest::newRow("negative time taken as positive") << -3.0 << 15 << qint64(98);
}

void TestFlashRules::displayInterval()
{
    QFETCH(double, seconds);
    QFETCH(int, count);
    QFETCH(qint64, interval);
    QCOMPARE(graderules::displayInterval(seconds, count), interval);
}

void TestFlashRules::placement_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<QRect>("place"); // left, top, width (height unused)
    QTest::newRow("1 digit") << 1 << true << QRect(240, 72, 300, 1);
    QTest::newRow("2 digits") << 2 << true << QRect(160, 72, 500, 1);
    QTest::newRow("3 digits") << 3 << true << QRect(48, 72, 700, 1);
    QTest::newRow("0 digits keep the place") << 0 << false << QRect();
    QTest::newRow("4 digits keep the place") << 4 << false << QRect();
}

void TestFlashRules::placement()
{
    QFETCH(int, digits);
    QFETCH(bool, placed);
    QFETCH(QRect, place);
    const auto at = flashrules::numberPlacement(digits);
    QCOMPARE(at.has_value(), placed);
    if (at)
        QCOMPARE(QRect(at->left, at->top, at->width, 1), place);
}

void TestFlashRules::accepted_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("seconds");
    QTest::newRow("十段 defaults") << 3 << 15 << 3.0;
    QTest::newRow("1 digit, 1 number") << 1 << 1 << 1.0;
    QTest::newRow("99 numbers in 1 s: I = 1 ms") << 3 << 99 << 1.0;
    QTest::newRow("fractional seconds") << 2 << 10 << 4.5;
    QTest::newRow("below 1 s but still 1 ms: 0.006 s for one") << 1 << 1 << 0.006;
    QTest::newRow("the longest timer: 4294967.3 s for one") << 1 << 1 << 4294967.3;
}

void TestFlashRules::accepted()
{
    QFETCH(int, digits);
    QFETCH(int, count);
    QFETCH(double, seconds);
    QCOMPARE(graderules::checkParams(GradeParams{digits, count, seconds}), QString());
}

void TestFlashRules::refused_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("names"); // the offending value, as the warning must show it
    QTest::newRow("0 digits") << 0 << 10 << 5.0 << "桁数が 0 ";
    QTest::newRow("4 digits") << 4 << 10 << 5.0 << "桁数が 4 ";
    QTest::newRow("negative digits") << -1 << 10 << 5.0 << "桁数が -1 ";
    QTest::newRow("0 numbers") << 3 << 0 << 5.0 << "口数が 0 ";
    QTest::newRow("100 numbers: no slot for the last") << 3 << 100 << 99.0 << "口数が 100 ";
    QTest::newRow("99 numbers in 0.5 s: x = 2.5") << 3 << 99 << 0.5 << "0.5秒";
    QTest::newRow("x exactly 5: I = 0") << 1 << 1 << 0.005 << "0.005秒";
    QTest::newRow("no time at all") << 1 << 5 << 0.0 << "0秒";
    QTest::newRow("negative time") << 1 << 5 << -3.0 << "-3秒";
    QTest::newRow("not a number") << 1 << 5 << std::nan("") << "nan秒";
    QTest::newRow("longer than any timer") << 1 << 1 << 1e12 << "秒数が 1000000000000 ";
    // Beyond 9e18 ms the interval no longer fits a 64-bit count at all.
    QTest::newRow("1e17 s: past any 64-bit interval") << 1 << 1 << 1e17 << "秒数が 1e+17 ";
    QTest::newRow("1e300 s") << 3 << 10 << 1e300 << "秒数が 1e+300 ";
    QTest::newRow("infinite time") << 2 << 5 << std::numeric_limits<double>::infinity() << "秒数が inf ";
    QTest::newRow("largest double") << 1 << 99 << std::numeric_limits<double>::max() << "秒数が 1.79769313486232e+308 ";
    QTest::newRow("one step past the longest timer") << 1 << 1 << 4294967.301 << "秒数が 4294967.301 ";
}

void TestFlashRules::refused()
{
    QFETCH(int, digits);
    QFETCH(int, count);
    QFETCH(double, seconds);
    QFETCH(QString, names);
    const QString warning = graderules::checkParams(GradeParams{digits, count, seconds});
    QVERIFY2(warning.contains(names), qPrintable(warning));
}

void TestFlashRules::grade_data()
{
    QTest::addColumn<int>("grade");
    QTest::addColumn<QStringList>("block"); // its three lines
    QTest::addColumn<QString>("refusal");   // "" when the grade runs
    QTest::addColumn<QString>("error");     // the ConversionError's text, when one is thrown

    const QString none;
    QTest::newRow("10級, the fewest the editor takes") << 10 << QStringList{"1", "2", "1"} << none << none;
    QTest::newRow("十段, the last block") << 20 << QStringList{"3", "15", "3"} << none << none;
    QTest::newRow("初段, one number") << 11 << QStringList{"2", "1", "0.5"} << none << none;
    QTest::newRow("four digits") << 10 << QStringList{"4", "2", "1"}
                                 << QStringLiteral("桁数が 4 になっています。桁数は1から3までにしてください。") << none;
    QTest::newRow("no digits") << 1 << QStringList{"0", "5", "5"}
                               << QStringLiteral("桁数が 0 になっています。桁数は1から3までにしてください。") << none;
    QTest::newRow("too fast") << 10 << QStringList{"1", "99", "0.5"}
                              << QStringLiteral("99口を 0.5秒で表示すると1口の表示時間が1ミリ秒未満になります。"
                                                "秒数を増やすか口数を減らしてください。") << none;
    QTest::newRow("count not a number") << 10 << QStringList{"1", "x", "1"} << none
                                        << QStringLiteral("settei/settei.dat の 2 行目（１０級の口数）の「x」は正しい数値ではありません。");
    // The digits are converted first: the first bad line of the three is named.
    QTest::newRow("digits and seconds bad") << 20 << QStringList{"", "15", "y"} << none
                                            << QStringLiteral("settei/settei.dat の 58 行目（十段の桁数）が空です。");
    QTest::newRow("seconds bad") << 9 << QStringList{"1", "5", "1s"} << none
                                 << QStringLiteral("settei/settei.dat の 6 行目（９級の秒数）の「1s」は正しい数値ではありません。");
}

void TestFlashRules::grade()
{
    QFETCH(int, grade);
    QFETCH(QStringList, block);
    QFETCH(QString, refusal);
    QFETCH(QString, error);
    // Every other line is unreadable: only the grade's own block may be looked at.
    QStringList lines(60, QStringLiteral("?"));
    const int first = grade <= 10 ? 3 * (10 - grade) : 3 * (grade - 1);
    for (int k = 0; k < 3; ++k)
        lines[first + k] = block[k];
    try {
        const graderules::Grade g = graderules::gradeFrom(lines, grade);
        QVERIFY2(error.isEmpty(), "no ConversionError");
        QCOMPARE(g.refusal, refusal);
        QCOMPARE(g.params.has_value(), refusal.isEmpty());
        if (g.params) {
            QCOMPARE(g.params->digits, block[0].toInt());
            QCOMPARE(g.params->count, block[1].toInt());
            QCOMPARE(g.params->seconds, block[2].toDouble());
        }
    } catch (const pz::ConversionError &e) {
        QCOMPARE(e.text(), error);
    }
}

QTEST_GUILESS_MAIN(TestFlashRules)
#include "tst_core_flashrules.moc"
