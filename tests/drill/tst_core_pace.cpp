// A drill's pace: the verdict rule and the pace line's bytes, and the pairing of pace lines with
// history lines.
#include "drill/pace.h"
#include "platform/textfile.h"
#include "records/pacemarks.h"
#include "users/userstore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using pace::Clock;
using Questions = std::array<pace::QuestionPace, pace::kQuestions>;
Q_DECLARE_METATYPE(Questions)

namespace {
Questions onPace(quint32 interval = 99)
{
    Questions q;
    for (pace::QuestionPace &one : q)
        one = pace::QuestionPace{interval, 30, 0, 0, 0};
    return q;
}
} // namespace

class TestPace : public QObject {
    Q_OBJECT
private slots:
    void line_data();
    void line();
    void pairing_data();
    void pairing();
};

void TestPace::line_data()
{
    // Question 8's latest flash, its span error and its missed ticks (the other nine are on pace);
    // what the line says of question 8, and its verdict.
    QTest::addColumn<qint64>("worstLateUs");
    QTest::addColumn<qint64>("spanErrorUs");
    QTest::addColumn<int>("missed");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<bool>("late");
    QTest::newRow("on time") << qint64(0) << qint64(0) << 0 << QByteArray("0.0,0.0") << false;
    QTest::newRow("one frame exactly") << qint64(16700) << qint64(16700) << 0 << QByteArray("16.7,16.7") << false;
    QTest::newRow("just under a tenth more") << qint64(16749) << qint64(412) << 0 << QByteArray("16.7,0.4") << false;
    QTest::newRow("rounds up past a frame") << qint64(16750) << qint64(-260) << 0 << QByteArray("16.8,-0.3") << true;
    QTest::newRow("a tenth of a second") << qint64(100000) << qint64(99951) << 0 << QByteArray("100.0,100.0") << true;
    QTest::newRow("a missed tick, however small") << qint64(40) << qint64(-40) << 1 << QByteArray("0.0,0.0") << true;
    QTest::newRow("not measured: says nothing") << qint64(-1) << qint64(0) << 0 << QByteArray(",") << false;
}

void TestPace::line()
{
    QFETCH(qint64, worstLateUs);
    QFETCH(QByteArray, shown);
    QFETCH(bool, late);
    Questions drill = onPace();
    drill[7] = worstLateUs < 0 ? pace::QuestionPace{} : pace::QuestionPace{99, 30, worstLateUs, 0, 0};
    QFETCH(qint64, spanErrorUs);
    QFETCH(int, missed);
    drill[7].spanErrorUs = spanErrorUs;
    drill[7].missedTicks = missed;
    QCOMPARE(pace::isLate(drill), late);

    // The bytes as another tool reads them from the file: cp932, CR LF.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.pace"));
    textfile::createNew(path, {});
    const QString line = pace::line(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)), QStringLiteral("十段"), drill);
    textfile::appendLine(path, line);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray seven = "0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,";
    QCOMPARE(f.readAll(), "2026/12/07 09:05:03,\x8f\\\x92i,99," + seven + shown + ",0.0,0.0,0.0,0.0," +
                              (late ? "\x82\xb8\x82\xea\x82\xa0\x82\xe8" : "\x82\xb8\x82\xea\x82\xc8\x82\xb5") + "\r\n");
    QCOMPARE(pace::parse(line)->late, late);
}

void TestPace::pairing_data()
{
    // History lines after the header; pace lines as "day grade verdict" (a = ずれあり, n = ずれなし,
    // x = a damaged line); the marks expected on the history lines, header first.
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QStringList>("paces");
    QTest::addColumn<QList<bool>>("marks");
    const QStringList three{QStringLiteral("１０級,2026/12/5,9,1,合格"), QStringLiteral("９級,2026/12/06,7,3,不合格"),
                            QStringLiteral("９級,2026/12/06,8,2,合格")};
    QTest::newRow("one pace line per drill") << three << QStringList{"5 １０級 n", "6 ９級 a", "6 ９級 n"}
                                             << QList<bool>{false, false, true, false};
    QTest::newRow("older drills have none") << three << QStringList{"6 ９級 n", "6 ９級 a"}
                                            << QList<bool>{false, false, false, true};
    QTest::newRow("a pace line whose history line is gone pairs with nothing")
        << three << QStringList{"5 １０級 a", "6 ９級 n", "7 ８級 a", "6 ９級 n"} << QList<bool>{false, true, false, false};
    QTest::newRow("another grade on that day is not its drill") << three << QStringList{"6 ８級 a"}
                                                                << QList<bool>{false, false, false, false};
    QTest::newRow("a damaged pace line pairs with nothing") << three << QStringList{"5 １０級 a", "x", "6 ９級 n"}
                                                            << QList<bool>{false, true, false, false};
    QTest::newRow("a pace line stamped with no real day pairs with nothing")
        << three << QStringList{"5 １０級 a", "6 ９級 a 13", "6 ９級 a 2026/12/06 24:00:00"}
        << QList<bool>{false, true, false, false};
    QTest::newRow("no pace file") << three << QStringList{} << QList<bool>{false, false, false, false};
}

void TestPace::pairing()
{
    QFETCH(QStringList, history);
    QFETCH(QStringList, paces);
    QStringList paceLines{userstore::paceHeader()};
    for (const QString &p : paces) {
        const QStringList w = p.split(QLatin1Char(' '));
        if (w.size() < 3) {
            paceLines << QStringLiteral("2026/12/0,,壊れた");
            continue;
        }
        Questions q = onPace();
        q[0].missedTicks = w[2] == QLatin1String("a") ? 1 : 0;
        QString line = pace::line(QDateTime(QDate(2026, 12, w[0].toInt()), QTime(10, 0)), w[1], q);
        if (w.size() >= 4) // the month, or the whole stamp, written over
            line = w[3].size() == 2 ? line.replace(5, 2, w[3]) : line.replace(0, 19, w.mid(3).join(QLatin1Char(' ')));
        paceLines << line;
    }
    history.prepend(userstore::recordHeader());
    QTEST(pacemarks::lateDrills(history, paceLines), "marks");
}

QTEST_GUILESS_MAIN(TestPace)
#include "tst_core_pace.moc"
