// GenerateNumber: the number drawn for a pinned clock reading, and the shape of every number.
#include "base/errors.h"
#include "settings/rand.h"

#include <QtTest>

namespace {
ClockMs pinned(std::uint32_t ms) { return [ms] { return ms; }; }
} // namespace

class TestGenerator : public QObject {
    Q_OBJECT
private slots:
    void knownOutputs_data();
    void knownOutputs();
    void shapeOfEveryNumber_data();
    void shapeOfEveryNumber();
    void clockReadOncePerNumber();
    void noDigitsIsConversionError();
};

void TestGenerator::knownOutputs_data()
{
    // Worked out apart from this code, following seed = seed x 134775813 + 1 mod 2^32 and
    // draw(r) = (seed x r) >> 32. By hand, midnight: seed 1, draw(9) = 0, so d1 = 1; seed
    // 134775814, draw(10) = floor(1347758140 / 2^32) = 0; seed 3698175007, draw(10) =
    // floor(36981750070 / 2^32) = 8: 108. The others from a separate script.
    QTest::addColumn<uint>("clock");
    QTest::addColumn<int>("one");
    QTest::addColumn<int>("two");
    QTest::addColumn<int>("three");
    QTest::newRow("midnight 00:00:00.000") << 0u << 1 << 10 << 108;
    QTest::newRow("00:00:00.001") << 1u << 1 << 18 << 182;
    QTest::newRow("00:00:12.345") << 12345u << 4 << 42 << 420;
    QTest::newRow("01:00:00.000") << 3600000u << 8 << 87 << 878;
    QTest::newRow("12:34:56.789") << 45296789u << 5 << 52 << 523;
    QTest::newRow("23:59:59.999, last of the day") << 86399999u << 7 << 79 << 793;
    QTest::newRow("second digit redrawn twice") << 16u << 5 << 53 << 536;
    QTest::newRow("redrawn three times") << 20u << 6 << 62 << 626;
    // The ends of the seed's 32 bits (the clock never reads them, the arithmetic must wrap).
    QTest::newRow("0xFFFFFFFF") << 0xFFFFFFFFu << 9 << 92 << 925;
    QTest::newRow("0x80000000, second digit redrawn") << 0x80000000u << 5 << 53 << 537;
    QTest::newRow("0x7FFFFFFF") << 0x7FFFFFFFu << 5 << 57 << 570;
}

void TestGenerator::knownOutputs()
{
    QFETCH(uint, clock);
    QFETCH(int, one);
    QFETCH(int, two);
    QFETCH(int, three);
    QCOMPARE(GenerateNumber(1, pinned(clock)), one);
    QCOMPARE(GenerateNumber(2, pinned(clock)), two);
    QCOMPARE(GenerateNumber(3, pinned(clock)), three);
}

void TestGenerator::shapeOfEveryNumber_data()
{
    QTest::addColumn<int>("digits");
    QTest::newRow("1 digit") << 1;
    QTest::newRow("2 digits") << 2;
    QTest::newRow("3 digits") << 3;
}

void TestGenerator::shapeOfEveryNumber()
{
    QFETCH(int, digits);
    QSet<int> seen;
    for (std::uint32_t ms = 0; ms < 86400000u; ms += 433) {
        const int n = GenerateNumber(digits, pinned(ms));
        seen.insert(n);
        const QString t = QString::number(n);
        QVERIFY2(t.size() == digits, qPrintable(t));
        QVERIFY2(t[0] != u'0', qPrintable(t)); // never 0, never a leading 0
        for (int i = 1; i < t.size(); ++i)
            QVERIFY2(t[i] != t[i - 1], qPrintable(QStringLiteral("equal adjacent digits: %1 at %2 ms").arg(t).arg(ms)));
    }
    // The whole range is reachable: 9 one-digit, 81 two-digit, 729 three-digit numbers.
    const int possible = digits == 1 ? 9 : digits == 2 ? 81 : 729;
    QCOMPARE(int(seen.size()), possible);
}

void TestGenerator::clockReadOncePerNumber()
{
    int reads = 0;
    const int n = GenerateNumber(3, [&reads] { ++reads; return std::uint32_t(45296789); });
    QCOMPARE(n, 523);
    QCOMPARE(reads, 1);
}

void TestGenerator::noDigitsIsConversionError()
{
    QVERIFY_THROWS_EXCEPTION(pz::ConversionError, GenerateNumber(0, pinned(1)));
}

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_core_generator.moc"
