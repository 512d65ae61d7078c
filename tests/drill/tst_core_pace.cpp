// A drill's pace: the verdict rule, the pace line's bytes, the
// pairing of pace lines with history lines, and the pace file beside the history.
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
    void verdict_data();
    void verdict();
    void lineBytes_data();
    void lineBytes();
    void pairing_data();
    void pairing();
    void paceFile_data();
    void paceFile();
};

void TestPace::verdict_data()
{
    QTest::addColumn<qint64>("worstLateUs");
    QTest::addColumn<int>("missed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("late");
    QTest::newRow("on time") << qint64(0) << 0 << "0.0" << false;
    QTest::newRow("one frame exactly") << qint64(16700) << 0 << "16.7" << false;
    QTest::newRow("just under a tenth more") << qint64(16749) << 0 << "16.7" << false;
    QTest::newRow("rounds up past a frame") << qint64(16750) << 0 << "16.8" << true;
    QTest::newRow("a tenth of a second") << qint64(100000) << 0 << "100.0" << true;
    QTest::newRow("a missed tick, however small") << qint64(40) << 1 << "0.0" << true;
}

void TestPace::verdict()
{
    QFETCH(qint64, worstLateUs);
    QFETCH(int, missed);
    QFETCH(bool, late);
    Questions drill = onPace();
    drill[7].worstLateUs = worstLateUs;
    drill[7].missedTicks = missed;
    QCOMPARE(pace::isLate(drill[7]), late);
    QCOMPARE(pace::isLate(drill), late);
    QTEST(pace::millisecondsText(worstLateUs), "shown");
    const QString line = pace::line(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)), QStringLiteral("十段"), drill);
    QCOMPARE(line.section(QLatin1Char(','), -1), late ? QStringLiteral("ずれあり") : QStringLiteral("ずれなし"));
    QCOMPARE(pace::parse(line)->late, late);
}

void TestPace::lineBytes_data()
{
    QTest::addColumn<Questions>("questions");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray stamp = "2026/12/07 09:05:03,";
    const QByteArray juudan = "\x8f\\\x92i"; // 十段
    const QByteArray onPaceWord = "\x82\xb8\x82\xea\x82\xc8\x82\xb5"; // ずれなし
    const QByteArray lateWord = "\x82\xb8\x82\xea\x82\xa0\x82\xe8"; // ずれあり
    QTest::newRow("on pace") << onPace()
                             << stamp + juudan + ",99,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,"
                                                 "0.0,0.0,0.0," + onPaceWord + "\r\n";
    Questions mixed = onPace();
    mixed[0] = {99, 30, 412, -260, 0};
    mixed[9] = {99, 30, 25049, 24951, 0};
    QTest::newRow("late in the last question, early span in the first")
        << mixed
        << stamp + juudan + ",99,0.4,-0.3,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,25.0,25.0," +
               lateWord + "\r\n";
    Questions unmeasured = onPace();
    unmeasured[3] = {};
    QTest::newRow("a question not measured says nothing")
        << unmeasured
        << stamp + juudan + ",99,0.0,0.0,0.0,0.0,0.0,0.0,,,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0," + onPaceWord +
               "\r\n";
}

void TestPace::lineBytes()
{
    QFETCH(Questions, questions);
    // Through the file it is kept in, as another tool reads it.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.pace"));
    textfile::createNew(path, {});
    textfile::appendLine(path, pace::line(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)), QStringLiteral("十段"), questions));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QTEST(f.readAll(), "expected");
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
    QStringList paceLines{pace::header()};
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

void TestPace::paceFile_data()
{
    // What is at user/taro.pace before two drills' pace lines are appended, and what is there after.
    QTest::addColumn<QByteArray>("before"); // "none", "dir" or the file's bytes
    QTest::addColumn<bool>("appended");
    QTest::newRow("first drill creates the file with its header") << QByteArray("none") << true;
    QTest::newRow("an existing file is appended to") << QByteArray("header") << true;
    QTest::newRow("a folder in its place is refused, the history untouched") << QByteArray("dir") << false;
    QTest::newRow("a damaged file is appended to after its torn line") << QByteArray("\x82\xa0\x82") << true;
}

void TestPace::paceFile()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, appended);
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString taro = QStringLiteral("taro");
    QCOMPARE(userstore::createUser(taro, QStringLiteral("pw")), QString());
    const QByteArray history = [&] {
        QFile h(userstore::recordPath(taro));
        return h.open(QIODevice::ReadOnly) ? h.readAll() : QByteArray();
    }();
    if (before == "dir")
        QVERIFY(QDir().mkpath(userstore::pacePath(taro)));
    else if (before == "header")
        textfile::createNew(userstore::pacePath(taro), {pace::header()});
    else if (before != "none") {
        QFile f(userstore::pacePath(taro));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(before) == before.size());
    }
    const QString line = pace::line(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)), QStringLiteral("十段"), onPace());
    bool thrown = false;
    for (int i = 0; i < 2; ++i) {
        try {
            userstore::appendPace(taro, line);
        } catch (const pz::IoError &e) {
            thrown = true;
            QVERIFY(QString::fromUtf8(e.what()).contains(userstore::pacePath(taro)));
        }
    }
    QCOMPARE(thrown, !appended);
    if (appended) {
        const QStringList lines = userstore::readPace(taro);
        QCOMPARE(lines.mid(lines.size() - 2), (QStringList{line, line}));
        if (before == "none" || before == "header")
            QCOMPARE(lines, (QStringList{pace::header(), line, line}));
    }
    QFile h(userstore::recordPath(taro));
    QVERIFY(h.open(QIODevice::ReadOnly));
    QCOMPARE(h.readAll(), history);

    // Deleting the user takes the pace file with it; a folder in its place is left and said so.
    const userstore::DeleteResult result = userstore::deleteUser(taro);
    QCOMPARE(result.outcome, appended ? userstore::DeleteResult::Outcome::Deleted
                                      : userstore::DeleteResult::Outcome::PaceFileLeft);
    QCOMPARE(QFileInfo::exists(userstore::pacePath(taro)), !appended);
    QVERIFY(!QFileInfo::exists(userstore::recordPath(taro)));
    // A user who is gone gets no new pace file.
    if (appended) {
        userstore::appendPace(taro, line);
        QVERIFY(!QFileInfo::exists(userstore::pacePath(taro)));
    }
    QDir::setCurrent(old);
}

QTEST_GUILESS_MAIN(TestPace)
#include "tst_core_pace.moc"
