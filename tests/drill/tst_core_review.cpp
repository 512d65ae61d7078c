// The second look at a question: subtotals and what a wrong answer most likely came from.
#include "drill/review.h"

#include <QtTest>

using Kind = review::Explanation::Kind;
Q_DECLARE_METATYPE(Kind)

class TestReview : public QObject {
    Q_OBJECT
private slots:
    void explain_data();
    void explain();
    void subtotals();
};

void TestReview::explain_data()
{
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<qint64>("typed");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("said");
    const QList<int> three{12, 47, 30}; // 89
    QTest::newRow("right answer: nothing to say") << three << qint64(89) << Kind::None << 0 << "";
    QTest::newRow("second number missing") << three << qint64(42) << Kind::Missing << 2
                                           << "２ばんめの 47 を たしていない みたい";
    QTest::newRow("second number counted twice") << three << qint64(136) << Kind::Doubled << 2
                                                  << "２ばんめの 47 を ２かい たした みたい";
    QTest::newRow("neighbouring digits swapped") << QList<int>{5, 8} << qint64(31) << Kind::Swapped << 0
                                                 << "となりの すうじが いれかわった みたい";
    QTest::newRow("equal digits are no swap") << QList<int>{50, 5} << qint64(55) << Kind::None << 0 << "";
    QTest::newRow("lost carry into the tens") << QList<int>{47, 8} << qint64(45) << Kind::LostCarry << 1
                                              << "じゅうのくらいへの くりあがりを わすれた みたい";
    QTest::newRow("lost carry into the hundreds") << QList<int>{95, 27} << qint64(22) << Kind::LostCarry << 2
                                                  << "ひゃくのくらいへの くりあがりを わすれた みたい";
    QTest::newRow("a carry of two lost") << QList<int>{9, 9, 9} << qint64(7) << Kind::LostCarry << 1
                                         << "じゅうのくらいへの くりあがりを わすれた みたい";
    QTest::newRow("no carry to lose: nothing") << QList<int>{12, 13} << qint64(15) << Kind::None << 0 << "";
    // Several fit: 21 without 9 is 12, which is also 21 swapped. Missing comes first.
    QTest::newRow("missing before swapped") << QList<int>{9, 12} << qint64(12) << Kind::Missing << 1
                                            << "１ばんめの 9 を たしていない みたい";
    // Both 10s would explain it: the first is named.
    QTest::newRow("the first of equal numbers") << QList<int>{10, 5, 10} << qint64(15) << Kind::Missing << 1
                                                << "１ばんめの 10 を たしていない みたい";
    QTest::newRow("fits none") << three << qint64(70) << Kind::None << 0 << "";
    QTest::newRow("twelfth number missing") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 300}
                                           << qint64(66) << Kind::Missing << 12 << "１２ばんめの 300 を たしていない みたい";
}

void TestReview::explain()
{
    QFETCH(QList<int>, numbers);
    QFETCH(qint64, typed);
    QFETCH(Kind, kind);
    QFETCH(int, position);
    QFETCH(QString, said);
    const review::Explanation e = review::explain(numbers, typed);
    QCOMPARE(e.kind, kind);
    QCOMPARE(e.position, position);
    QCOMPARE(review::sentence(e), said);
}

void TestReview::subtotals()
{
    QCOMPARE(review::subtotals({12, 47, 30}), (QList<qint64>{12, 59, 89}));
    QCOMPARE(review::subtotals({}), QList<qint64>());
    // 99 numbers of 999 stay exact.
    QCOMPARE(review::subtotals(QList<int>(99, 999)).last(), qint64(98901));
}

QTEST_GUILESS_MAIN(TestReview)
#include "tst_core_review.moc"
