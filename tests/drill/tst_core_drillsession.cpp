// The drill under way: what its steps keep of the ten questions, and when they are forgotten.
#include "drill/drillrecord.h"
#include "base/classroom.h"
#include "drill/drillsession.h"
#include "platform/textfile.h"
#include "support/drillplay.h"
#include "users/pending.h"
#include "users/userstore.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// Question k (0-based) flashed with these numbers and answered with typed.
DrillSession::Answered play(DrillSession &d, const QList<int> &numbers, const QString &typed)
{
    return drillplay::question(d, numbers, typed);
}

// A whole drill: question k has the numbers {k + 1, 10}; the first `right` answers are right.
DrillSession::Answered wholeDrill(DrillSession &d, int right)
{
    DrillSession::Answered last;
    for (int k = 0; k < DrillSession::kQuestions; ++k)
        last = play(d, {k + 1, 10}, QString::number(k < right ? k + 11 : 0));
    return last;
}

// Sends the events of a script: "n47" a number shown, "f" the question finished, "a055" an answer,
// "drill" a whole drill answered right, "end" the drill ended, "sheet" the result sheet closed.
void run(DrillSession &d, const QString &script)
{
    for (const QString &e : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (e == QLatin1String("drill"))
            wholeDrill(d, DrillSession::kQuestions);
        else if (e == QLatin1String("end"))
            d.ended();
        else if (e == QLatin1String("sheet"))
            d.sheetClosed();
        else if (e == QLatin1String("f"))
            d.questionFinished();
        else if (e.startsWith(QLatin1Char('n')))
            d.numberShown(e.mid(1).toInt());
        else if (e.startsWith(QLatin1Char('a')))
            d.answered(e.mid(1), drillplay::kOwner);
        else
            QFAIL(qPrintable(QStringLiteral("no such event: ") + e));
    }
}
} // namespace

class TestDrillSession : public QObject {
    Q_OBJECT
private slots:
    void whatTheEventsKeep_data();
    void whatTheEventsKeep();
    void verdict_data();
    void verdict();
    void sheetMarks_data();
    void sheetMarks();
    void answerLeadsTo_data();
    void answerLeadsTo();
    void whatTheResetKeeps_data();
    void whatTheResetKeeps();
    void recordFixedAtTheVerdict_data();
    void recordFixedAtTheVerdict();
    void recorded_data();
    void recorded();
};

void TestDrillSession::whatTheEventsKeep_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("row"); // the question and the sheet row looked at
    QTest::addColumn<QList<int>>("state"); // question number, running sum, last number, answered, correct, kept
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<int>("sum");
    QTest::addColumn<QString>("typed");   // the question's typed answer
    QTest::addColumn<QString>("correct"); // the sheet row's cells
    QTest::addColumn<QString>("typedCell");
    using L = QList<int>;
    const QString two = QStringLiteral("n47 n8 f a055 n3 n4 f a8");
    QTest::newRow("first number: the last one") << "n47" << 0 << L{0, 47, 47, 0, 0, 0} << L{} << 0 << "" << "" << "";
    QTest::newRow("numbers add up") << "n47 n8" << 0 << L{0, 55, 8, 0, 0, 0} << L{} << 0 << "" << "" << "";
    // The next question's first number is compared with 0.
    QTest::newRow("question finished: its sum is its answer")
        << "n47 n8 f" << 0 << L{1, 55, 0, 0, 0, 0} << L{47, 8} << 55 << "" << "55" << "";
    QTest::newRow("answer right by value, kept as typed")
        << "n47 n8 f a055" << 0 << L{1, 0, 0, 1, 1, 1} << L{47, 8} << 55 << "055" << "55" << "055";
    QTest::newRow("wrong second answer beside the first")
        << two << 1 << L{2, 0, 0, 2, 1, 2} << L{3, 4} << 7 << "8" << "7" << "8";
    QTest::newRow("after the sheet's last row: nothing") << two << 10 << L{2, 0, 0, 2, 1, 2} << L{} << 0 << "" << "" << "";
    QTest::newRow("before the sheet's first row: nothing") << two << -1 << L{2, 0, 0, 2, 1, 2} << L{} << 0 << "" << "" << "";
    QTest::newRow("finished drill ended: all kept for a look")
        << "drill end" << 3 << L{0, 0, 0, 0, 0, 10} << L{4, 10} << 14 << "14" << "14" << "14";
    QTest::newRow("ended again after a replay: still kept")
        << "drill end end" << 3 << L{0, 0, 0, 0, 0, 10} << L{4, 10} << 14 << "14" << "14" << "14";
    // The sheet's cells stay until the sheet closes.
    QTest::newRow("next drill's first number forgets the last")
        << "drill end n6" << 0 << L{0, 6, 6, 0, 0, 0} << L{} << 0 << "" << "11" << "11";
    QTest::newRow("sheet closed: its cells emptied, the questions kept")
        << "drill end sheet" << 3 << L{0, 0, 0, 0, 0, 10} << L{4, 10} << 14 << "14" << "" << "";
    // Only a benchmark flashes more.
    QTest::newRow("beyond the tenth question nothing is stored")
        << "drill n1 n1 f a2" << 9 << L{11, 0, 0, 11, 11, 10} << L{10, 10} << 20 << "20" << "20" << "20";
}

void TestDrillSession::whatTheEventsKeep()
{
    QFETCH(QString, script);
    QFETCH(int, row);
    QFETCH(QList<int>, state);
    QFETCH(QList<int>, numbers);
    QFETCH(int, sum);
    QFETCH(QString, typed);
    QFETCH(QString, correct);
    QFETCH(QString, typedCell);
    DrillSession d;
    run(d, script);
    const QList<int> now{d.questionNo(), d.runningSum(), d.lastNumber(), d.answeredCount(), d.correctCount(),
                         d.questionsKept()};
    QCOMPARE(now, state);
    const DrillSession::Question &q = d.question(row);
    QCOMPARE(q.numbers, numbers);
    QCOMPARE(q.sum, sum);
    QCOMPARE(q.typed, typed);
    QCOMPARE(d.correctAnswer(row), correct);
    QCOMPARE(d.typedAnswer(row), typedCell);
}

void TestDrillSession::verdict_data()
{
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("all right") << 10 << "合格";
    QTest::newRow("eight right pass") << 8 << "合格";
    QTest::newRow("seven right fail") << 7 << "不合格";
    QTest::newRow("none right") << 0 << "不合格";
}

void TestDrillSession::verdict()
{
    QFETCH(int, right);
    QFETCH(QString, verdict);
    DrillSession d;
    const DrillSession::Answered last = wholeDrill(d, right);
    QVERIFY(d.isOver());
    QVERIFY(last.over);
    QCOMPARE(d.correctCount(), right);
    QCOMPARE(last.verdict, verdict);
    QCOMPARE(d.verdict(), verdict);
}

void TestDrillSession::answerLeadsTo_data()
{
    QTest::addColumn<int>("answered"); // answers before the one looked at
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("nextQuestion");
    QTest::addColumn<QString>("verdict"); // empty: the drill goes on
    QTest::addColumn<int>("answeredCount");
    QTest::addColumn<int>("correctCount");
    QTest::newRow("first answer: the second question next") << 0 << "11" << 2 << "" << 1 << 1;
    QTest::newRow("first answer wrong: counted, not right") << 0 << "12" << 2 << "" << 1 << 0;
    QTest::newRow("ninth answer: the tenth question next") << 8 << "19" << 10 << "" << 9 << 9;
    QTest::newRow("tenth answer: over, counts kept till the end") << 9 << "20" << 11 << "合格" << 10 << 10;
    QTest::newRow("tenth answer, leading zero: right by value") << 9 << "020" << 11 << "合格" << 10 << 10;
    QTest::newRow("tenth answer wrong, nine right: pass") << 9 << "0" << 11 << "合格" << 10 << 9;
}

void TestDrillSession::answerLeadsTo()
{
    QFETCH(int, answered);
    QFETCH(QString, typed);
    QFETCH(int, nextQuestion);
    QFETCH(QString, verdict);
    QFETCH(int, answeredCount);
    QFETCH(int, correctCount);
    DrillSession d;
    for (int k = 0; k < answered; ++k)
        play(d, {k + 1, 10}, QString::number(k + 11));
    const DrillSession::Answered step = play(d, {answered + 1, 10}, typed);
    QCOMPARE(step.nextQuestion, nextQuestion);
    QCOMPARE(step.over, !verdict.isEmpty());
    QCOMPARE(step.verdict, verdict);
    QCOMPARE(d.answeredCount(), answeredCount);
    QCOMPARE(d.correctCount(), correctCount);
    QCOMPARE(d.runningSum(), 0);
    QCOMPARE(d.typedAnswer(answered), typed);
    // Only the verdict fixes the line, for the owner the answer came with.
    QCOMPARE(d.pendingRecord().has_value(), !verdict.isEmpty());
    if (d.pendingRecord())
        QCOMPARE(d.pendingRecord()->user, drillplay::kOwner.user);
}

void TestDrillSession::whatTheResetKeeps_data()
{
    QTest::addColumn<int>("questions"); // played before the flash screen closes
    QTest::addColumn<int>("kept");
    QTest::newRow("finished drill: all ten kept for a look") << 10 << 10;
    QTest::newRow("abandoned after four: nothing") << 4 << 0;
    QTest::newRow("abandoned before any: nothing") << 0 << 0;
}

void TestDrillSession::whatTheResetKeeps()
{
    QFETCH(int, questions);
    QFETCH(int, kept);
    DrillSession d;
    for (int k = 0; k < questions; ++k)
        play(d, {k + 1, 2}, QString::number(k + 3));
    d.numberShown(5); // a question under way
    d.ended();
    QCOMPARE(d.runningSum(), 0);
    QCOMPARE(d.questionNo(), 0);
    QCOMPARE(d.answeredCount(), 0);
    QCOMPARE(d.correctCount(), 0);
    QCOMPARE(d.lastNumber(), 0);
    QCOMPARE(d.questionsKept(), kept);
}

void TestDrillSession::sheetMarks_data()
{
    // Question k's numbers are {k + 1, 10}: the sums are 11 to 20.
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("marks"); // o right, x wrong, row by row
    QTest::addColumn<int>("correct");
    QTest::newRow("all right") << QStringList{"11", "12", "13", "14", "15", "16", "17", "18", "19", "20"} << "oooooooooo" << 10;
    // 016 is right by value (the verdict counted it) but the sheet compares texts.
    QTest::newRow("a leading zero and a wrong sum") << QStringList{"11", "12", "13", "1", "15", "016", "17", "18", "19", "20"}
                                                    << "oooxoxoooo" << 8;
    QTest::newRow("the last row wrong, the first right") << QStringList{"11", "0", "0", "0", "0", "0", "0", "0", "0", "21"}
                                                         << "oxxxxxxxxx" << 1;
}

void TestDrillSession::sheetMarks()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, marks);
    QFETCH(int, correct);
    DrillSession d;
    for (int k = 0; k < DrillSession::kQuestions; ++k)
        play(d, {k + 1, 10}, typed[k]);
    const drillrules::Marks m = d.sheetMarks();
    QString shown;
    for (bool right : m.right)
        shown += right ? QLatin1Char('o') : QLatin1Char('x');
    QCOMPARE(shown, marks);
    QCOMPARE(m.correct, correct);
    QCOMPARE(m.incorrect, 10 - correct);
    // The line the verdict fixed counts as the sheet does.
    QVERIFY2(d.pendingRecord()->line.contains(QStringLiteral(",%1,%2,").arg(correct).arg(10 - correct)),
             qPrintable(d.pendingRecord()->line));
}

void TestDrillSession::recordFixedAtTheVerdict_data()
{
    // What happens between the verdict and the writing of the line: it must not change the line.
    QTest::addColumn<int>("answered");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("line"); // empty: nothing pending
    const QString nine = QStringLiteral("１０級,2004/7/05,8,2,合格"); // counted by text, as the sheet marks
    QTest::newRow("sheet closed, its answers emptied") << 10 << "clear" << nine;
    QTest::newRow("next drill started and abandoned") << 10 << "abandon" << nine;
    QTest::newRow("written once") << 10 << "recorded" << QString();
    QTest::newRow("abandoned before the tenth answer") << 9 << "" << QString();
}

void TestDrillSession::recordFixedAtTheVerdict()
{
    QFETCH(int, answered);
    QFETCH(QString, after);
    QFETCH(QString, line);
    DrillSession d;
    for (int k = 0; k < answered; ++k) // question 4 wrong; question 6 right by value, wrong by text
        play(d, {k + 1, 10}, k == 3 ? QStringLiteral("1") : k == 5 ? QStringLiteral("016") : QString::number(k + 11));
    d.ended();
    if (after == QLatin1String("clear"))
        d.sheetClosed();
    if (after == QLatin1String("abandon")) {
        play(d, {1, 2}, QStringLiteral("3"));
        d.ended();
    }
    if (after == QLatin1String("recorded"))
        d.markRecorded();
    QCOMPARE(d.pendingRecord().has_value(), !line.isEmpty());
    if (d.pendingRecord()) {
        QCOMPARE(d.pendingRecord()->user, QStringLiteral("たろう"));
        QCOMPARE(d.pendingRecord()->line, line);
    }
}

void TestDrillSession::recorded_data()
{
    // room: what became of the classroom between the verdict and the recording.
    QTest::addColumn<QString>("moment"); // "sheet", "way out", "both": the sheet, then the way out
    QTest::addColumn<QString>("room");   // "", "no history", "deleted", "no history, nowhere to keep"
    QTest::addColumn<int>("history");    // lines after the header, -1: no file
    QTest::addColumn<int>("pace");       // pace lines after the header, -1: no file
    QTest::addColumn<int>("kept");       // lines kept aside
    QTest::addColumn<bool>("failed");
    QTest::addColumn<bool>("stays");     // the line is still the drill's, for the way out
    QTest::newRow("sheet: the line and its pace line") << "sheet" << "" << 1 << 1 << 0 << false << false;
    QTest::newRow("way out: the line and its pace line") << "way out" << "" << 1 << 1 << 0 << false << false;
    QTest::newRow("sheet, then way out: once") << "both" << "" << 1 << 1 << 0 << false << false;
    QTest::newRow("sheet: no history file, kept aside") << "sheet" << "no history" << -1 << -1 << 1 << true << false;
    QTest::newRow("sheet: not even kept, stays for the way out")
        << "sheet" << "no history, nowhere to keep" << -1 << -1 << 0 << true << true;
    QTest::newRow("sheet not even kept, the way out gives it up") << "both" << "no history, nowhere to keep" << -1 << -1 << 0 << false << false;
    QTest::newRow("way out: a child deleted meanwhile gets nothing") << "way out" << "deleted" << -1 << -1 << 0 << false << false;
}

void TestDrillSession::recorded()
{
    QFETCH(QString, moment);
    QFETCH(QString, room);
    QFETCH(int, history);
    QFETCH(int, pace);
    QFETCH(int, kept);
    QFETCH(bool, failed);
    QFETCH(bool, stays);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString back = QDir::currentPath();
    const auto restore = qScopeGuard([&] { QDir::setCurrent(back); });
    QVERIFY(QDir::setCurrent(dir.path()) && QDir().mkdir(QStringLiteral("user")));
    Classroom::use(Classroom(dir.path()));
    qputenv("XDG_STATE_HOME", (dir.path() + QStringLiteral("/state")).toUtf8());
    const QString taro = QStringLiteral("たろう");
    QCOMPARE(userstore::createUser(taro, QStringLiteral("pw")), QString());
    if (room.contains(QLatin1String("no history")))
        QVERIFY(QFile::remove(userstore::recordPath(taro)));
    if (room.contains(QLatin1String("nowhere")))
        QVERIFY(QFile(QStringLiteral("state")).open(QIODevice::WriteOnly)); // a file where the state folder goes
    if (room == QLatin1String("deleted"))
        QVERIFY(userstore::deleteUser(taro).outcome == userstore::DeleteResult::Outcome::Deleted);

    DrillSession d;
    wholeDrill(d, DrillSession::kQuestions);
    drillrecord::Said said;
    for (const char *m : {"sheet", "way out"})
        if (moment == QLatin1String(m) || moment == QLatin1String("both"))
            said = drillrecord::record(d, QLatin1String(m) == QLatin1String("sheet") ? drillrecord::Moment::Sheet : drillrecord::Moment::WayOut);
    QCOMPARE(said.failed.has_value(), failed);
    QCOMPARE(d.pendingRecord().has_value(), stays);
    const auto linesOf = [](const QString &path) { return QFile::exists(path) ? textfile::readLines(path).size() - 1 : -1; };
    QCOMPARE(linesOf(userstore::recordPath(taro)), history);
    if (history > 0)
        QCOMPARE(textfile::readLines(userstore::recordPath(taro)).last(), QStringLiteral("１０級,2004/7/05,10,0,合格"));
    QCOMPARE(linesOf(userstore::pacePath(taro)), pace);
    QCOMPARE(pending::entries().size(), kept);
}

QTEST_GUILESS_MAIN(TestDrillSession)
#include "tst_core_drillsession.moc"
