// The drill under way: what its steps keep of the ten questions, and when they are forgotten.
#include "drill/drillsession.h"
#include "support/drillplay.h"

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
} // namespace

class TestDrillSession : public QObject {
    Q_OBJECT
private slots:
    void questionsKeepTheirNumbersAndAnswers();
    void verdict_data();
    void verdict();
    void answerLeadsTo_data();
    void answerLeadsTo();
    void whatTheResetKeeps_data();
    void whatTheResetKeeps();
    void nextDrillForgetsTheLast();
    void sheetCloseKeepsTheQuestions();
    void beyondTheTenthQuestionNothingIsStored();
    void recordFixedAtTheVerdict_data();
    void recordFixedAtTheVerdict();
};

void TestDrillSession::questionsKeepTheirNumbersAndAnswers()
{
    DrillSession d;
    d.numberShown(47);
    QCOMPARE(d.lastNumber(), 47);
    d.numberShown(8);
    QCOMPARE(d.runningSum(), 55);
    d.questionFinished();
    QCOMPARE(d.questionNo(), 1);
    QCOMPARE(d.lastNumber(), 0); // the next question's first number is compared with 0
    QCOMPARE(d.correctAnswer(0), QStringLiteral("55"));
    d.answered(QStringLiteral("055"), drillplay::kOwner); // right by value, kept as typed
    QCOMPARE(d.correctCount(), 1);
    QCOMPARE(d.runningSum(), 0); // the next question's sum starts again
    QCOMPARE(d.typedAnswer(0), QStringLiteral("055"));
    const DrillSession::Question &q = d.question(0);
    QCOMPARE(q.numbers, (QList<int>{47, 8}));
    QCOMPARE(q.sum, 55);
    QCOMPARE(q.typed, QStringLiteral("055"));
    QCOMPARE(d.questionsKept(), 1);
    play(d, {3, 4}, QStringLiteral("8"));
    QCOMPARE(d.correctCount(), 1);
    QCOMPARE(d.answeredCount(), 2);
    QCOMPARE(d.question(1).numbers, (QList<int>{3, 4}));
    QCOMPARE(d.question(1).sum, 7);
    QCOMPARE(d.correctAnswer(10), QString()); // outside the sheet
    QCOMPARE(d.question(-1).numbers, QList<int>());
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
    QTest::newRow("tenth answer, eight right: pass") << 9 << "0" << 11 << "合格" << 10 << 9;
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

void TestDrillSession::nextDrillForgetsTheLast()
{
    DrillSession d;
    wholeDrill(d, 9);
    d.ended();
    QCOMPARE(d.questionsKept(), 10);
    d.ended(); // closed again with nothing under way (after a replay)
    QCOMPARE(d.questionsKept(), 10);
    // Until the next drill's first number, and then at once.
    d.numberShown(6);
    QCOMPARE(d.questionsKept(), 0);
    QCOMPARE(d.question(0).numbers, QList<int>());
}

void TestDrillSession::sheetCloseKeepsTheQuestions()
{
    DrillSession d;
    wholeDrill(d, 10);
    d.ended();
    d.sheetClosed();
    QCOMPARE(d.correctAnswer(3), QString());
    QCOMPARE(d.typedAnswer(3), QString());
    QCOMPARE(d.question(3).numbers, (QList<int>{4, 10}));
    QCOMPARE(d.question(3).typed, QStringLiteral("14"));
}

void TestDrillSession::beyondTheTenthQuestionNothingIsStored()
{
    DrillSession d;
    wholeDrill(d, 10);
    play(d, {1, 1}, QStringLiteral("2")); // only a benchmark flashes more
    QCOMPARE(d.questionNo(), 11);
    QCOMPARE(d.question(9).numbers, (QList<int>{10, 10}));
    QCOMPARE(d.correctCount(), 11);
    QCOMPARE(d.typedAnswer(9), QStringLiteral("20"));
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

QTEST_GUILESS_MAIN(TestDrillSession)
#include "tst_core_drillsession.moc"
