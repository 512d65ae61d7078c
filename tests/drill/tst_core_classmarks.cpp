// 結果を入れる after みんなでフラッシュ: the verdict by share, the history line and the pace line written
// for a child, the refusals (a number beyond the set, a child deleted meanwhile), and the entered line
// counted by the overview without taking a drill's pace mark.
#include "base/classroom.h"
#include "drill/classmarks.h"
#include "drill/pace.h"
#include "records/overview.h"
#include "records/pacemarks.h"
#include "users/userstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
classset::ClassSet setOf(int questions)
{
    classset::ClassSet s;
    s.gradeName = QStringLiteral("１０級");
    s.setNumber = 42;
    for (int i = 0; i < questions; ++i)
        s.questions.append({1, 2});
    return s;
}
const QDateTime kShown(QDate(2026, 12, 8), QTime(10, 15, 0));
QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestClassMarks : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void passes_data();
    void passes();
    void entersALine_data();
    void entersALine();
    void refused_data();
    void refused();
    void countedWithoutTakingAPaceMark();

private:
    QTemporaryDir *dir_ = nullptr;
};

void TestClassMarks::init()
{
    dir_ = new QTemporaryDir;
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("user")));
    Classroom::use(Classroom(dir_->path()));
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("t")), QString());
}

void TestClassMarks::cleanup()
{
    Classroom::use(Classroom());
    delete dir_;
}

void TestClassMarks::passes_data()
{
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("pass");
    QTest::newRow("8 of 10") << 8 << 10 << true;
    QTest::newRow("7 of 10") << 7 << 10 << false;
    QTest::newRow("4 of 5") << 4 << 5 << true;
    QTest::newRow("3 of 5") << 3 << 5 << false;
    QTest::newRow("3 of 3") << 3 << 3 << true;
    QTest::newRow("2 of 3 (not 8 tenths)") << 2 << 3 << false;
    QTest::newRow("1 of 1") << 1 << 1 << true;
    QTest::newRow("0 of 1") << 0 << 1 << false;
}

void TestClassMarks::passes()
{
    QFETCH(int, right);
    QFETCH(int, count);
    QFETCH(bool, pass);
    QCOMPARE(classmarks::passes(right, count), pass);
}

void TestClassMarks::entersALine_data()
{
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("line");
    QTest::newRow("10, passed") << 10 << 8 << QStringLiteral("１０級,2026/12/08,8,2,合格");
    QTest::newRow("5, failed") << 5 << 3 << QStringLiteral("１０級,2026/12/08,3,2,不合格");
    QTest::newRow("3, none right") << 3 << 0 << QStringLiteral("１０級,2026/12/08,0,3,不合格");
}

void TestClassMarks::entersALine()
{
    QFETCH(int, questions);
    QFETCH(int, right);
    QFETCH(QString, line);
    QCOMPARE(classmarks::enter(setOf(questions), kShown, QStringLiteral("たろう"), right), QString());
    QCOMPARE(userstore::readHistory(QStringLiteral("たろう")), (QStringList{userstore::recordHeader(), line}));
    const QStringList pace = userstore::readPace(QStringLiteral("たろう"));
    QCOMPARE(pace.size(), 2);
    QCOMPARE(pace[1], QStringLiteral("2026/12/08 10:15:00,１０級,,,,,,,,,,,,,,,,,,,,,,みんなでフラッシュ 0042"));
    const std::optional<pace::Entry> e = pace::parse(pace[1]);
    QVERIFY(e);
    QCOMPARE(e->classSet, 42);
    QCOMPARE(e->late, false);
}

void TestClassMarks::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("more than the set") << QStringLiteral("たろう") << 6 << QStringLiteral("正解数は 0 から 5 までです（このセットは 5 問でした）");
    QTest::newRow("below none") << QStringLiteral("たろう") << -1 << QStringLiteral("正解数は 0 から 5 までです（このセットは 5 問でした）");
    QTest::newRow("deleted meanwhile") << QStringLiteral("はなこ") << 5 << QStringLiteral("「はなこ」さんは、その間に削除されました。結果は入れていません。");
}

void TestClassMarks::refused()
{
    QFETCH(QString, name);
    QFETCH(int, right);
    QFETCH(QString, refusal);
    QCOMPARE(userstore::createUser(QStringLiteral("はなこ"), QStringLiteral("h")), QString());
    QCOMPARE(userstore::deleteUser(QStringLiteral("はなこ")).outcome, userstore::DeleteResult::Outcome::Deleted);
    const QByteArray before = bytesOf(userstore::recordPath(QStringLiteral("たろう")));
    QCOMPARE(classmarks::enter(setOf(5), kShown, name, right), refusal);
    QCOMPARE(bytesOf(userstore::recordPath(QStringLiteral("たろう"))), before);
    QVERIFY(!QFile::exists(userstore::recordPath(QStringLiteral("はなこ"))));
    QVERIFY(!QFile::exists(userstore::pacePath(QStringLiteral("たろう"))));
}

void TestClassMarks::countedWithoutTakingAPaceMark()
{
    // A drill shown off its pace that morning, then the class flash at the same grade.
    userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("１０級,2026/12/08,9,1,合格"));
    QStringList late{QStringLiteral("2026/12/08 09:00:00"), QStringLiteral("１０級"), QStringLiteral("500")};
    for (int k = 0; k < 10; ++k)
        late << QStringLiteral("20.0") << QStringLiteral("0.1");
    late << QStringLiteral("ずれあり");
    userstore::appendPace(QStringLiteral("たろう"), late.join(QLatin1Char(',')));
    QCOMPARE(classmarks::enter(setOf(10), kShown, QStringLiteral("たろう"), 10), QString());
    const QStringList history = userstore::readHistory(QStringLiteral("たろう"));
    QCOMPARE(pacemarks::lateDrillsOf(QStringLiteral("たろう"), history), (QList<bool>{false, true, false}));
    const std::vector<overview::Summary> rows = pacemarks::classroom(QDate(2026, 12, 8));
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].drills, 2);
}

QTEST_GUILESS_MAIN(TestClassMarks)
#include "tst_core_classmarks.moc"
