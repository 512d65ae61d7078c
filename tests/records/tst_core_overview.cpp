// The class overview's rules, one history per row: the grade now, the highest pass and its date, the
// last drill, the drills of the last seven days, the last-ten rate at the current grade, the marks
// つまずき and おやすみ, and damaged lines counted; then the order a column's header sorts by.
#include "records/overview.h"

#include <QTest>

using namespace overview;

namespace {
const QDate kToday(2026, 12, 7);
const QString kHeader = QStringLiteral("級/段,日付,正解数,不正解数,合否");

QString pass(const char *grade, const char *date) { return QStringLiteral("%1,%2,9,1,合格").arg(QString::fromUtf8(grade), QString::fromUtf8(date)); }
QString fail(const char *grade, const char *date) { return QStringLiteral("%1,%2,3,7,不合格").arg(QString::fromUtf8(grade), QString::fromUtf8(date)); }
QStringList times(int n, const QString &line)
{
    QStringList l;
    for (int i = 0; i < n; ++i)
        l << line;
    return l;
}
} // namespace

class TestOverview : public QObject {
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void sortOrder_data();
    void sortOrder();
    void courseOf_data();
    void courseOf();
};

void TestOverview::rules_data()
{
    QTest::addColumn<QStringList>("drills");
    // The cells いまの級 | 合格した級 | さいごの練習 | 7日の回数 | いまの級の合格 | しるし
    QTest::addColumn<QString>("cells");

    QTest::newRow("header only: empty cells") << QStringList{} << "|||||";
    QTest::newRow("one pass today") << QStringList{pass("１０級", "2026/12/07")} << "１０級|１０級 (2026/12/07)|2026/12/07|1|1/1|";
    QTest::newRow("highest pass is the highest grade, first date")
        << QStringList{pass("５級", "2026/11/1"), pass("初段", "2026/11/02"), pass("初段", "2026/11/03"),
                       fail("１級", "2026/11/04")}
        << "１級|初段 (2026/11/02)|2026/11/04|0|0/1|おやすみ";
    QTest::newRow("grades by order, not by text: 十段 over 九段 over 1級")
        << QStringList{pass("１級", "2026/12/1"), pass("十段", "2026/12/2"), pass("九段", "2026/12/3")}
        << "九段|十段 (2026/12/02)|2026/12/03|3|1/1|";
    QTest::newRow("plain digits and loose dates are understood")
        << QStringList{pass("10級", "2026/12/1"), fail("１０級", "2026/12/01")} << "１０級|１０級 (2026/12/01)|2026/12/01|2|1/2|";
    QTest::newRow("7 days: today and the six before; older and later not")
        << QStringList{pass("３級", "2026/11/30"), pass("３級", "2026/12/01"), pass("３級", "2026/12/07"),
                       pass("３級", "2026/12/08")}
        << "３級|３級 (2026/11/30)|2026/12/08|2|4/4|";
    QTest::newRow("last ten at the current grade only, earlier grades left out")
        << (QStringList{} << times(5, pass("２級", "2026/12/1")) << times(3, pass("１級", "2026/12/2"))
                          << times(8, fail("１級", "2026/12/3")) << pass("２級", "2026/12/4") << fail("１級", "2026/12/5"))
        << "１級|１級 (2026/12/02)|2026/12/05|18|1/10|";
    QTest::newRow("つまずき: ten failed at the current grade")
        << (QStringList{} << pass("１級", "2026/12/1") << times(10, fail("１級", "2026/12/3")))
        << "１級|１級 (2026/12/01)|2026/12/03|11|0/10|つまずき";
    QTest::newRow("nine failed: no mark yet")
        << (QStringList{} << pass("１級", "2026/12/1") << times(9, fail("１級", "2026/12/3")))
        << "１級|１級 (2026/12/01)|2026/12/03|10|1/10|";
    QTest::newRow("ten failed at another grade: the current one counts")
        << (QStringList{} << times(10, fail("２級", "2026/12/1")) << fail("１級", "2026/12/3"))
        << "１級||2026/12/03|11|0/1|";
    QTest::newRow("おやすみ: fourteen days") << QStringList{pass("４級", "2026/11/23")} << "４級|４級 (2026/11/23)|2026/11/23|0|1/1|おやすみ";
    QTest::newRow("thirteen days: no mark") << QStringList{pass("４級", "2026/11/24")} << "４級|４級 (2026/11/24)|2026/11/24|0|1/1|";
    QTest::newRow("both marks") << times(10, fail("初段", "2026/1/05")) << "初段||2026/01/05|0|0/10|つまずき おやすみ";
    QTest::newRow("damaged lines counted, never read as drills")
        << QStringList{pass("３級", "2026/12/1"), QStringLiteral("３級,2026/13/01,9,1,合格"), QStringLiteral("１１級,2026/12/2,9,1,合格"),
                       QStringLiteral("３級,2026/12/2,9,1,ごうかく"), QStringLiteral("３級,2026/12/2,x,1,合格"),
                       QStringLiteral("３級,2026/12/2"), QString(), QStringLiteral("３級,2026/2/30,9,1,合格"),
                       QStringLiteral("３級,26/12/2,9,1,合格")}
        << "３級|３級 (2026/12/01)|2026/12/01|1|1/1|こわれた行 8";
    QTest::newRow("blanks, quotes, empty and extra items cut as the records table cuts them")
        << QStringList{QStringLiteral(" ２級 , 2026/12/1 ,9, 1,合格"), QStringLiteral("\"２級\",2026/12/2,9,1,\"合格\""),
                       QStringLiteral("２級,,2026/12/3,9,1,合格"), QStringLiteral("２級,2026/12/4,3,7,不合格,余り")}
        << "２級|２級 (2026/12/01)|2026/12/04|4|3/4|";
    QTest::newRow("only damage") << QStringList{QStringLiteral("\xFFFD\xFFFD")} << "|||||こわれた行 1";
}

void TestOverview::rules()
{
    QFETCH(QStringList, drills);
    QFETCH(QString, cells);
    const Summary s = summarize(QStringLiteral("はなこ"), QStringList{kHeader} + drills, kToday);
    QStringList got;
    for (Column c : {Current, Highest, Last, Recent, Rate, Marks})
        got << cellText(s, c);
    QCOMPARE(got.join(QLatin1Char('|')), cells);
    QCOMPARE(cellText(s, Name), QStringLiteral("はなこ"));
}

void TestOverview::sortOrder_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("lower");  // one drill line, or "" for a child without drills
    QTest::addColumn<QStringList>("higher");

    QTest::newRow("いまの級: 10級 before 9級") << int(Current) << QStringList{pass("１０級", "2026/12/1")} << QStringList{pass("９級", "2026/12/1")};
    QTest::newRow("いまの級: 1級 before 初段") << int(Current) << QStringList{pass("１級", "2026/12/1")} << QStringList{pass("初段", "2026/12/1")};
    QTest::newRow("いまの級: 九段 before 十段") << int(Current) << QStringList{pass("九段", "2026/12/1")} << QStringList{pass("十段", "2026/12/1")};
    QTest::newRow("いまの級: empty first") << int(Current) << QStringList{} << QStringList{pass("１０級", "2026/12/1")};
    QTest::newRow("合格した級: same grade, earlier date first") << int(Highest) << QStringList{pass("２級", "2026/2/10")} << QStringList{pass("２級", "2026/10/02")};
    QTest::newRow("さいごの練習: dates as dates, 2/10 before 10/2") << int(Last) << QStringList{pass("２級", "2026/2/10")} << QStringList{pass("２級", "2026/10/02")};
    QTest::newRow("さいごの練習: year counts") << int(Last) << QStringList{pass("２級", "2025/12/31")} << QStringList{pass("２級", "2026/1/01")};
    QTest::newRow("7日の回数: 2 before 10") << int(Recent) << times(2, pass("２級", "2026/12/7")) << times(10, pass("２級", "2026/12/7"));
    QTest::newRow("7日の回数: no drills before 0") << int(Recent) << QStringList{} << QStringList{pass("２級", "2026/1/7")};
    QTest::newRow("いまの級の合格: 1/3 before 1/2")
        << int(Rate) << QStringList{pass("２級", "2026/12/7"), fail("２級", "2026/12/7"), fail("２級", "2026/12/7")}
        << QStringList{pass("２級", "2026/12/7"), fail("２級", "2026/12/7")};
    QTest::newRow("いまの級の合格: 9/10 before 1/1")
        << int(Rate) << (times(9, pass("２級", "2026/12/7")) << fail("２級", "2026/12/7")) << QStringList{pass("２級", "2026/12/7")};
}

void TestOverview::sortOrder()
{
    QFETCH(int, column);
    QFETCH(QStringList, lower);
    QFETCH(QStringList, higher);
    const Summary a = summarize(QStringLiteral("a"), QStringList{kHeader} + lower, kToday);
    const Summary b = summarize(QStringLiteral("b"), QStringList{kHeader} + higher, kToday);
    QVERIFY(before(a, b, Column(column)));
    QVERIFY(!before(b, a, Column(column)));
}

// The progress chart's drills: each as grade step:date:right:合否 (1 = 合格), and the damaged count.
void TestOverview::courseOf_data()
{
    QTest::addColumn<QStringList>("drills");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("damaged");

    QTest::newRow("header only") << QStringList{} << "" << 0;
    QTest::newRow("ordinary, both spellings of a grade")
        << QStringList{fail("10級", "2026/12/1"), pass("１０級", "2026/12/02"), QStringLiteral("十段,2026/12/03,10,0,合格")}
        << "0:2026-12-01:3:0 0:2026-12-02:9:1 19:2026-12-03:10:1" << 0;
    QTest::newRow("damaged lines skipped and counted")
        << QStringList{pass("３級", "2026/12/1"), QStringLiteral("３級,2026/2/30,9,1,合格"), QString(),
                       QStringLiteral("３級,2026/12/2,9,1"), QStringLiteral("１１級,2026/12/2,9,1,合格"), fail("初段", "2026/12/3")}
        << "7:2026-12-01:9:1 10:2026-12-03:3:0" << 4;
    QTest::newRow("dates out of order sorted, one day keeps the file's order")
        << QStringList{pass("５級", "2026/12/5"), fail("６級", "2026/12/1"), fail("４級", "2026/12/5"), pass("６級", "2026/12/1")}
        << "4:2026-12-01:3:0 4:2026-12-01:9:1 5:2026-12-05:9:1 6:2026-12-05:3:0" << 0;
}

void TestOverview::courseOf()
{
    QFETCH(QStringList, drills);
    QFETCH(QString, expected);
    QFETCH(int, damaged);
    const Course c = course(QStringList{kHeader} + drills);
    QStringList got;
    for (const Drill &d : c.drills)
        got << QStringLiteral("%1:%2:%3:%4").arg(d.grade).arg(d.date.toString(Qt::ISODate)).arg(d.correct).arg(d.passed ? 1 : 0);
    QCOMPARE(got.join(QLatin1Char(' ')), expected);
    QCOMPARE(c.damaged, damaged);
}

QTEST_APPLESS_MAIN(TestOverview)
#include "tst_core_overview.moc"
