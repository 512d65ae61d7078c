// みんなでフラッシュ's sets: the numbers of a grade and set number (written out from the documented
// generator) and the refusals, from the settings file; the drill's rules over many sets; what is
// typed; the key's lines.
#include "base/errors.h"
#include "base/classroom.h"
#include "drill/classset.h"
#include "settings/rand.h"

#include <QtTest>

class TestClassSet : public QObject {
    Q_OBJECT
private slots:
    void made_data()
    {
        QTest::addColumn<QByteArray>("tenthGrade"); // 10級's lines in settei.dat; empty: no file
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("outcome"); // the last question, a refusal's start, or "throws"
        const QByteArray ok = "1\r\n4\r\n4\r\n";
        const QString badSet = QStringLiteral("セット番号は 0000 から 9999 までの4けたの数にしてください。");
        const QString badGrade = QStringLiteral("「１０級」の設定ではフラッシュできません。\n");
        QTest::newRow("0042 q1") << ok << 42 << 1 << QStringLiteral("3 7 1 7");
        QTest::newRow("0042 q2") << ok << 42 << 2 << QStringLiteral("2 8 2 9");
        QTest::newRow("0000 q1") << ok << 0 << 1 << QStringLiteral("9 8 3 8");
        QTest::newRow("9999 q10") << ok << 9999 << 10 << QStringLiteral("3 5 1 4");
        QTest::newRow("0003: 6 3 3 7 drawn, the second 3 again") << ok << 3 << 1 << QStringLiteral("6 3 7 2");
        QTest::newRow("the seconds take part; 4.50 is 4.5") << QByteArray("1\r\n4\r\n4.50\r\n") << 42 << 1 << QStringLiteral("2 5 4 3");
        QTest::newRow("3/5/5") << QByteArray("3\r\n5\r\n5\r\n") << 42 << 1 << QStringLiteral("248 154 802 931 953");
        QTest::newRow("-1") << ok << -1 << 10 << badSet;
        QTest::newRow("10000") << ok << 10000 << 10 << badSet;
        QTest::newRow("none") << ok << 42 << 0 << QStringLiteral("問題数が 0 になっています。問題数は1から10までにしてください。");
        QTest::newRow("eleven") << ok << 42 << 11 << QStringLiteral("問題数が 11 になっています。");
        QTest::newRow("4 digits") << QByteArray("4\r\n4\r\n4\r\n") << 42 << 10 << badGrade + QStringLiteral("桁数が 4 になっています。");
        QTest::newRow("too fast") << QByteArray("1\r\n4\r\n0.001\r\n") << 42 << 10 << badGrade + QStringLiteral("4口を 0.001秒で");
        QTest::newRow("not a number") << QByteArray("1\r\nx\r\n4\r\n") << 42 << 10 << QStringLiteral("throws");
        QTest::newRow("no file") << QByteArray() << 42 << 10 << QStringLiteral("throws");
        QTest::newRow("no file, a refused set: said first") << QByteArray() << 12345 << 10 << badSet;
    }
    void made()
    {
        QFETCH(QByteArray, tenthGrade);
        QFETCH(int, set);
        QFETCH(int, questions);
        QFETCH(QString, outcome);
        QTemporaryDir room;
        const QString old = QDir::currentPath();
        QDir::setCurrent(room.path());
        Classroom::use(Classroom(room.path()));
        QFile f(QStringLiteral("settei/settei.dat"));
        if (QDir().mkpath(QStringLiteral("settei")) && !tenthGrade.isEmpty() && f.open(QIODevice::WriteOnly))
            f.write(tenthGrade + settings::defaultSettingsLines().mid(3).join(QStringLiteral("\r\n")).toLatin1());
        f.close();
        QString got = QStringLiteral("throws");
        try {
            const classset::Made made = classset::make(10, set, questions);
            QStringList n;
            for (int x : made.set ? made.set->questions.last() : QList<int>())
                n << QString::number(x);
            got = !made.set ? made.refusal : made.set->questions.size() == questions ? n.join(QLatin1Char(' ')) : QStringLiteral("size");
        } catch (const pz::Error &) {
        }
        QDir::setCurrent(old);
        QVERIFY2(got.startsWith(outcome), qPrintable(got));
    }

    void drillRulesOverManySets()
    {
        for (GradeCode grade = 1; grade <= 20; ++grade) {
            const settings::DefaultGrade &d = settings::DefaultGradeParams[settings::blockOf(grade)];
            const GradeParams params{QByteArray(d.digits).toInt(), QByteArray(d.count).toInt(), QByteArray(d.seconds).toDouble()};
            QSet<QList<int>> firstQuestions;
            for (int s = 9999; s > 0; s -= 33) {
                const classset::Made made = classset::build(grade, params, s, 10);
                QVERIFY2(made.set, qPrintable(made.refusal));
                const QList<QList<int>> set = made.set->questions;
                // The same again, and the same in a shorter set.
                QCOMPARE(classset::build(grade, params, s, 3).set->questions, set.mid(0, 3));
                firstQuestions.insert(set.first());
                for (const QList<int> &q : set) {
                    QCOMPARE(q.size(), params.count);
                    for (qsizetype i = 0; i < q.size(); ++i) {
                        const QString n = QString::number(q[i]);
                        QVERIFY2(n.size() == params.digits && (n.size() < 2 || n[1] != n[0]) && (n.size() < 3 || n[2] != n[1]),
                                 qPrintable(n));
                        QVERIFY2(i == 0 || q[i] != q[i - 1], qPrintable(QStringLiteral("%1 twice, set %2").arg(n).arg(s)));
                    }
                }
            }
            // 303 sets; 10級 has 4608 questions, so about ten sets meet another by chance.
            QVERIFY2(firstQuestions.size() >= 280, qPrintable(QString::number(firstQuestions.size())));
        }
    }

    void typed_data()
    {
        QTest::addColumn<QString>("text"); // given to both parsers
        QTest::addColumn<int>("grade");    // -1: not a grade
        QTest::addColumn<int>("set");      // -1: not a set number
        const QList<std::tuple<const char *, int, int>> rows{
            {"１０級", 10, -1}, {"10級", 10, -1}, {"１0級", 10, -1}, {"１級", 1, -1}, {"初段", 11, -1}, {"十段", 20, -1},
            {"0042", -1, 42}, {"42", -1, 42}, {"００４２", -1, 42}, {"9999", -1, 9999}, {"0", -1, 0}};
        for (const auto &[t, grade, set] : rows)
            QTest::newRow(t) << QString::fromUtf8(t) << grade << set;
        for (const char *t : {"11級", "0級", "010級", "10級 ", "一段", "十級", "", "00042", "10000", "-1", "+42", "4 2", "٤٢", "①", "¹²", "𝟒𝟐", "４²", "⁰⁰⁴²"})
            QTest::newRow(t) << QString::fromUtf8(t) << -1 << -1;
    }
    void typed()
    {
        QFETCH(QString, text);
        QFETCH(int, grade);
        QFETCH(int, set);
        QCOMPARE(classset::parseGrade(text).value_or(-1), grade);
        QCOMPARE(classset::parseSetNumber(text).value_or(-1), set);
    }

    void texts()
    {
        QCOMPARE(classset::keyLine(1, {3, 5, 8, 2}), QStringLiteral("1. 3 + 5 + 8 + 2 = 18"));
        QCOMPARE(classset::keyLine(10, {7}), QStringLiteral("10. 7 = 7"));
        const classset::ClassSet set = *classset::build(20, {3, 2, 1.5}, 7, 2).set;
        QCOMPARE(classset::heading(set) + classset::paramsText(set.params), QStringLiteral("十段　セット番号 00073けた 2口 1.5秒"));
        QCOMPARE(classset::setNumberText(0) + classset::setNumberText(9999), QStringLiteral("00009999"));
        // A new number is never the last one; the draws are taken modulo 10000.
        QList<quint32> draws{42, 4294960042u, 4294967295u};
        QCOMPARE(classset::newSetNumber(42, [&] { return draws.takeFirst(); }), 7295);
        QCOMPARE(classset::newSetNumber(-1, [] { return 10042u; }), 42);
    }
};

QTEST_GUILESS_MAIN(TestClassSet)
#include "tst_core_classset.moc"
