// GenerateNumber: the number drawn for a pinned clock reading, and the shape of every number.
#include "platform/errors.h"
#include "settings/rand.h"

#include <QtTest>
#include <cmath>

namespace {
// A second formulation of the same generator, written from the rules rather than from the code:
// the seed walks modulo 2^32 through 64-bit arithmetic with an explicit modulus, a draw scales it
// by floor(seed * range / 2^32) in floating point (exact for these magnitudes), and the number is
// built arithmetically and cut by integer division instead of as text.
int reference(std::uint32_t clockMs, int digits)
{
    unsigned long long seed = clockMs;
    auto draw = [&seed](int range) {
        seed = (seed * 134775813ULL + 1ULL) % 4294967296ULL;
        return int(std::floor(double(seed) * range / 4294967296.0));
    };
    const int d1 = draw(9) + 1;
    int d2;
    do d2 = draw(10); while (d2 == d1);
    int d3;
    do d3 = draw(10); while (d3 == d2);
    const int all = d1 * 100 + d2 * 10 + d3;
    return digits >= 3 ? all : all / (digits == 2 ? 10 : 100);
}
ClockMs pinned(std::uint32_t ms) { return [ms] { return ms; }; }
} // namespace

class TestGenerator : public QObject {
    Q_OBJECT
private slots:
    void knownOutputs_data();
    void knownOutputs();
    void agreesWithSecondFormulation_data();
    void agreesWithSecondFormulation();
    void shapeOfEveryNumber_data();
    void shapeOfEveryNumber();
    void clockReadOncePerNumber();
    void noDigitsIsConversionError();
};

void TestGenerator::knownOutputs_data()
{
    // Worked out apart from this code (a separate script following the seed and draw rules).
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

void TestGenerator::agreesWithSecondFormulation_data()
{
    QTest::addColumn<int>("digits");
    QTest::newRow("1 digit") << 1;
    QTest::newRow("2 digits") << 2;
    QTest::newRow("3 digits") << 3;
}

void TestGenerator::agreesWithSecondFormulation()
{
    QFETCH(int, digits);
    // Every 7th millisecond of the day, and the ends of the 32-bit range the seed may hold.
    for (std::uint32_t ms = 0; ms < 86400000u; ms += 7 * 997)
        QCOMPARE(GenerateNumber(digits, pinned(ms)), reference(ms, digits));
    for (std::uint32_t ms : {0xFFFFFFFFu, 0xFFFFFFFEu, 0x80000000u, 0x7FFFFFFFu})
        QCOMPARE(GenerateNumber(digits, pinned(ms)), reference(ms, digits));
}

void TestGenerator::shapeOfEveryNumber_data()
{
    agreesWithSecondFormulation_data();
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
