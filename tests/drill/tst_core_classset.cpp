// みんなでフラッシュ's sets: the numbers a grade and a set number give (written out once from the
// documented generator), the drill's rules for them over many sets, the refusals, the GRADE and set
// number as typed, and the key's lines.
#include "base/errors.h"
#include "drill/classset.h"
#include "settings/rand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using classset::ClassSet;

class TestClassSet : public QObject {
    Q_OBJECT
private slots:
    void numbers_data();
    void numbers();
    void drillRulesOverManySets();
    void refusals_data();
    void refusals();
    void fromTheSettingsFile_data();
    void fromTheSettingsFile();
    void grades_data();
    void grades();
    void setNumbers_data();
    void setNumbers();
    void newSetNumber_data();
    void newSetNumber();
    void texts();
};

void TestClassSet::numbers_data()
{
    QTest::addColumn<GradeParams>("params");
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("question"); // 0-based
    QTest::addColumn<QList<int>>("numbers");
    const GradeParams tenth{1, 4, 4};
    QTest::newRow("10級 0042 q1") << tenth << 42 << 0 << QList<int>{3, 7, 1, 7};
    QTest::newRow("10級 0042 q2") << tenth << 42 << 1 << QList<int>{2, 8, 2, 9};
    QTest::newRow("10級 0042 q10") << tenth << 42 << 9 << QList<int>{7, 6, 8, 9};
    QTest::newRow("10級 0043 q1: the next set differs") << tenth << 43 << 0 << QList<int>{1, 8, 1, 3};
    QTest::newRow("10級 0000") << tenth << 0 << 0 << QList<int>{9, 8, 3, 8};
    QTest::newRow("10級 9999") << tenth << 9999 << 0 << QList<int>{7, 4, 2, 9};
    QTest::newRow("10級 0003: 6 3 3 7 drawn, the second 3 drawn again") << tenth << 3 << 0 << QList<int>{6, 3, 7, 2};
    QTest::newRow("the seconds take part: 1/4/4.5 0042") << GradeParams{1, 4, 4.5} << 42 << 0 << QList<int>{2, 5, 4, 3};
    QTest::newRow("6級 2/3/3 0042") << GradeParams{2, 3, 3} << 42 << 0 << QList<int>{90, 57, 89};
    QTest::newRow("1級 3/5/5 0042") << GradeParams{3, 5, 5} << 42 << 0 << QList<int>{248, 154, 802, 931, 953};
    QTest::newRow("五段 3/10/4.5 0042")
        << GradeParams{3, 10, 4.5} << 42 << 0 << QList<int>{768, 382, 168, 135, 279, 241, 452, 902, 837, 956};
    QTest::newRow("十段 3/15/3 1234 q1") << GradeParams{3, 15, 3} << 1234 << 0
                                     << QList<int>{320, 654, 648, 843, 216, 932, 278, 968, 952, 693, 105, 608, 651, 943, 395};
}

void TestClassSet::numbers()
{
    QFETCH(GradeParams, params);
    QFETCH(int, set);
    QFETCH(int, question);
    QFETCH(QList<int>, numbers);
    QCOMPARE(classset::questionNumbers(params, set, question), numbers);
    // Built as a whole set, the question is the same, however many questions the set has.
    const classset::Made whole = classset::build(10, params, set, question + 1);
    QVERIFY2(whole.set, qPrintable(whole.refusal));
    QCOMPARE(whole.set->questions.last(), numbers);
    QCOMPARE(classset::build(10, params, set, 10).set->questions.value(question), numbers);
}

void TestClassSet::drillRulesOverManySets()
{
    // Every grade of the installed settings, 300 sets of ten questions each.
    for (GradeCode grade = 1; grade <= 20; ++grade) {
        const settings::DefaultGrade &d = settings::DefaultGradeParams[settings::blockOf(grade)];
        const GradeParams params{QByteArray(d.digits).toInt(), QByteArray(d.count).toInt(), QByteArray(d.seconds).toDouble()};
        QSet<QList<int>> firstQuestions;
        for (int set : {0, 1, 42, 5000, 9998, 9999}) {
            for (int more = 0; more < 50; ++more) {
                const int s = (set + more * 97) % 10000;
                const ClassSet cs = *classset::build(grade, params, s, 10).set;
                QCOMPARE(cs.questions, classset::build(grade, params, s, 10).set->questions);
                QCOMPARE(cs.questions.size(), 10);
                firstQuestions.insert(cs.questions.first());
                for (const QList<int> &q : cs.questions) {
                    QCOMPARE(q.size(), params.count);
                    for (qsizetype i = 0; i < q.size(); ++i) {
                        const QString n = QString::number(q[i]);
                        QVERIFY2(n.size() == params.digits && n[0] != QLatin1Char('0'), qPrintable(n));
                        for (qsizetype k = 1; k < n.size(); ++k)
                            QVERIFY2(n[k] != n[k - 1], qPrintable(n));
                        QVERIFY2(i == 0 || q[i] != q[i - 1], qPrintable(QStringLiteral("%1 twice, set %2").arg(n).arg(s)));
                    }
                }
            }
        }
        // Different sets give different questions: 10級 has 4608 questions, so some of 300 sets
        // meet by chance (about ten), the other grades far fewer.
        QVERIFY2(firstQuestions.size() >= 280,
                 qPrintable(QString::number(firstQuestions.size())));
    }
}

void TestClassSet::refusals_data()
{
    QTest::addColumn<GradeParams>("params");
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("refusal"); // its start; empty: accepted
    const GradeParams ok{1, 4, 4};
    const QString setRefused = QStringLiteral("セット番号は 0000 から 9999 までの4けたの数にしてください。");
    QTest::newRow("0000, one question") << ok << 0 << 1 << QString();
    QTest::newRow("9999, ten questions") << ok << 9999 << 10 << QString();
    QTest::newRow("set -1") << ok << -1 << 10 << setRefused;
    QTest::newRow("set 10000") << ok << 10000 << 10 << setRefused;
    QTest::newRow("no question") << ok << 42 << 0 << QStringLiteral("問題数が 0 になっています。問題数は1から10までにしてください。");
    QTest::newRow("eleven questions") << ok << 42 << 11 << QStringLiteral("問題数が 11 になっています。");
    QTest::newRow("4 digits, as the drill refuses")
        << GradeParams{4, 4, 4} << 42 << 10 << QStringLiteral("「１０級」の設定ではフラッシュできません。\n桁数が 4 になっています。");
    QTest::newRow("100 numbers") << GradeParams{1, 100, 99} << 42 << 10 << QStringLiteral("「１０級」の設定ではフラッシュできません。\n口数が 100");
    QTest::newRow("no time: the grade is named first")
        << GradeParams{1, 4, 0} << 10000 << 0 << QStringLiteral("「１０級」の設定ではフラッシュできません。\n4口を 0秒で表示すると");
}

void TestClassSet::refusals()
{
    QFETCH(GradeParams, params);
    QFETCH(int, set);
    QFETCH(int, questions);
    QFETCH(QString, refusal);
    const classset::Made made = classset::build(10, params, set, questions);
    QVERIFY2(made.refusal.startsWith(refusal), qPrintable(made.refusal));
    QCOMPARE(made.refusal.isEmpty(), refusal.isEmpty());
    QCOMPARE(made.set.has_value(), refusal.isEmpty());
    if (made.set)
        QCOMPARE(made.set->questions.size(), questions);
}

void TestClassSet::fromTheSettingsFile_data()
{
    QTest::addColumn<QByteArray>("tenthGrade"); // the three lines of 10級; empty: no settings file
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("outcome"); // the first question, a refusal's start, or "throws"
    QTest::newRow("installed") << QByteArray("1\r\n4\r\n4\r\n") << 42 << QStringLiteral("3 7 1 7");
    QTest::newRow("4.50 is 4.5") << QByteArray("1\r\n4\r\n4.50\r\n") << 42 << QStringLiteral("2 5 4 3");
    QTest::newRow("read afresh: 2 digits") << QByteArray("2\r\n3\r\n3\r\n") << 42 << QStringLiteral("90 57 89");
    QTest::newRow("unflashable") << QByteArray("1\r\n4\r\n0.001\r\n") << 42 << QStringLiteral("「１０級」の設定ではフラッシュできません。");
    QTest::newRow("not a number") << QByteArray("1\r\nx\r\n4\r\n") << 42 << QStringLiteral("throws");
    QTest::newRow("no file") << QByteArray() << 42 << QStringLiteral("throws");
    QTest::newRow("no file, a refused set: said without reading") << QByteArray() << 12345 << QStringLiteral("セット番号は");
}

void TestClassSet::fromTheSettingsFile()
{
    QFETCH(QByteArray, tenthGrade);
    QFETCH(int, set);
    QFETCH(QString, outcome);
    QTemporaryDir room;
    const QString old = QDir::currentPath();
    QDir::setCurrent(room.path());
    QDir().mkpath(QStringLiteral("settei"));
    if (!tenthGrade.isEmpty()) {
        QFile f(QStringLiteral("settei/settei.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(tenthGrade);
        for (const QString &l : settings::defaultSettingsLines().mid(3))
            f.write(l.toLatin1() + "\r\n");
    }
    QString got;
    try {
        const classset::Made made = classset::make(10, set, 3);
        got = made.refusal;
        if (made.set) {
            QStringList n;
            for (int x : made.set->questions.first())
                n << QString::number(x);
            got = n.join(QLatin1Char(' '));
            QCOMPARE(made.set->gradeName, QStringLiteral("１０級"));
        }
    } catch (const pz::Error &) {
        got = QStringLiteral("throws");
    }
    QDir::setCurrent(old);
    QVERIFY2(got.startsWith(outcome), qPrintable(got));
}

void TestClassSet::grades_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("grade"); // -1: unknown
    QTest::newRow("１０級") << QStringLiteral("１０級") << 10;
    QTest::newRow("10級") << QStringLiteral("10級") << 10;
    QTest::newRow("１0級 mixed") << QStringLiteral("１0級") << 10;
    QTest::newRow("１級") << QStringLiteral("１級") << 1;
    QTest::newRow("9級") << QStringLiteral("9級") << 9;
    QTest::newRow("初段") << QStringLiteral("初段") << 11;
    QTest::newRow("二段") << QStringLiteral("二段") << 12;
    QTest::newRow("十段") << QStringLiteral("十段") << 20;
    QTest::newRow("11級") << QStringLiteral("11級") << -1;
    QTest::newRow("0級") << QStringLiteral("0級") << -1;
    QTest::newRow("010級") << QStringLiteral("010級") << -1;
    QTest::newRow("10 alone") << QStringLiteral("10") << -1;
    QTest::newRow("a space after") << QStringLiteral("10級 ") << -1;
    QTest::newRow("一段") << QStringLiteral("一段") << -1;
    QTest::newRow("十級") << QStringLiteral("十級") << -1;
    QTest::newRow("empty") << QString() << -1;
}

void TestClassSet::grades()
{
    QFETCH(QString, text);
    QFETCH(int, grade);
    QCOMPARE(classset::parseGrade(text).value_or(-1), grade);
}

void TestClassSet::setNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("value"); // -1: refused
    QTest::addColumn<QString>("shown");
    QTest::newRow("0042") << QStringLiteral("0042") << 42 << QStringLiteral("0042");
    QTest::newRow("42") << QStringLiteral("42") << 42 << QStringLiteral("0042");
    QTest::newRow("full-width ００４２") << QStringLiteral("００４２") << 42 << QStringLiteral("0042");
    QTest::newRow("0") << QStringLiteral("0") << 0 << QStringLiteral("0000");
    QTest::newRow("9999") << QStringLiteral("9999") << 9999 << QStringLiteral("9999");
    QTest::newRow("1000") << QStringLiteral("1000") << 1000 << QStringLiteral("1000");
    QTest::newRow("10000") << QStringLiteral("10000") << -1 << QString();
    QTest::newRow("00042") << QStringLiteral("00042") << -1 << QString();
    QTest::newRow("-1") << QStringLiteral("-1") << -1 << QString();
    QTest::newRow("+42") << QStringLiteral("+42") << -1 << QString();
    QTest::newRow("4 2") << QStringLiteral("4 2") << -1 << QString();
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("٤٢") << -1 << QString();
    QTest::newRow("empty") << QString() << -1 << QString();
}

void TestClassSet::setNumbers()
{
    QFETCH(QString, typed);
    QFETCH(int, value);
    QFETCH(QString, shown);
    QCOMPARE(classset::parseSetNumber(typed).value_or(-1), value);
    if (value >= 0)
        QCOMPARE(classset::setNumberText(value), shown);
}

void TestClassSet::newSetNumber_data()
{
    QTest::addColumn<int>("previous");
    QTest::addColumn<QList<quint32>>("draws");
    QTest::addColumn<int>("number");
    QTest::newRow("none before") << -1 << QList<quint32>{10042} << 42;
    QTest::newRow("the last set drawn again, twice") << 42 << QList<quint32>{42, 4294960042u, 7} << 7;
    QTest::newRow("the largest draw") << 0 << QList<quint32>{4294967295u} << 7295;
    QTest::newRow("9999") << 0 << QList<quint32>{9999} << 9999;
}

void TestClassSet::newSetNumber()
{
    QFETCH(int, previous);
    QFETCH(QList<quint32>, draws);
    QFETCH(int, number);
    qsizetype next = 0;
    QCOMPARE(classset::newSetNumber(previous, [&] { return draws.value(next++, 42); }), number);
    QCOMPARE(next, draws.size());
}

void TestClassSet::texts()
{
    QCOMPARE(classset::keyLine(1, {3, 5, 8, 2}), QStringLiteral("1. 3 + 5 + 8 + 2 = 18"));
    QCOMPARE(classset::keyLine(10, {7}), QStringLiteral("10. 7 = 7"));
    const ClassSet set = *classset::build(20, {3, 2, 1.5}, 7, 2).set;
    QCOMPARE(set.gradeName, QStringLiteral("十段"));
    QCOMPARE(classset::heading(set), QStringLiteral("十段　セット番号 0007"));
    QCOMPARE(classset::paramsText(set.params), QStringLiteral("3けた 2口 1.5秒"));
    const QStringList key = classset::keyLines(set);
    QCOMPARE(key.size(), 2);
    QVERIFY2(key[1].startsWith(QStringLiteral("2. ")), qPrintable(key[1]));
}

QTEST_GUILESS_MAIN(TestClassSet)
#include "tst_core_classset.moc"
