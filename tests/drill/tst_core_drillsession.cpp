// The drill under way: what its steps keep of the ten questions, and when they are forgotten.
#include "drill/drillsession.h"

#include <QtTest>

namespace {
// Question k (0-based) flashed with these numbers and answered with typed.
void play(DrillSession &d, const QList<int> &numbers, const QString &typed)
{
    for (int n : numbers)
        d.addNumber(n);
    d.finishQuestion();
    d.countAnswer();
    d.recordAnswer(typed);
    d.clearRunningSum();
}

// A whole drill: question k has the numbers {k + 1, 10}; the first `right` answers are right.
void wholeDrill(DrillSession &d, int right)
{
    for (int k = 0; k < DrillSession::kQuestions; ++k)
        play(d, {k + 1, 10}, QString::number(k < right ? k + 11 : 0));
}
} // namespace

class TestDrillSession : public QObject {
    Q_OBJECT
private slots:
    void questionsKeepTheirNumbersAndAnswers();
    void verdict_data();
    void verdict();
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
    d.addNumber(47);
    QCOMPARE(d.lastNumber(), 47);
    d.addNumber(8);
    QCOMPARE(d.runningSum(), 55);
    d.finishQuestion();
    QCOMPARE(d.questionNo(), 1);
    QCOMPARE(d.lastNumber(), 0); // the next question's first number is compared with 0
    QCOMPARE(d.correctAnswer(0), QStringLiteral("55"));
    d.countAnswer();
    d.recordAnswer(QStringLiteral("055")); // right by value, kept as typed
    QCOMPARE(d.correctCount(), 1);
    QCOMPARE(d.typedAnswer(0), QStringLiteral("055"));
    const DrillSession::Question &q = d.question(0);
    QCOMPARE(q.numbers, (QList<int>{47, 8}));
    QCOMPARE(q.sum, 55);
    QCOMPARE(q.typed, QStringLiteral("055"));
    QCOMPARE(d.questionsKept(), 1);
    d.clearRunningSum();
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
    wholeDrill(d, right);
    QVERIFY(d.isOver());
    QCOMPARE(d.correctCount(), right);
    QCOMPARE(d.decideVerdict(), verdict);
    QCOMPARE(d.verdict(), verdict);
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
    d.addNumber(5); // a question under way
    d.reset();
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
    d.decideVerdict();
    d.reset();
    QCOMPARE(d.questionsKept(), 10);
    d.reset(); // closed again with nothing under way (after a replay)
    QCOMPARE(d.questionsKept(), 10);
    // Until the next drill's first number, and then at once.
    d.addNumber(6);
    QCOMPARE(d.questionsKept(), 0);
    QCOMPARE(d.question(0).numbers, QList<int>());
}

void TestDrillSession::sheetCloseKeepsTheQuestions()
{
    DrillSession d;
    wholeDrill(d, 10);
    d.reset();
    d.clearAnswers();
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
    d.decideVerdict();
    d.fixRecord(QStringLiteral("たろう"), QStringLiteral("１０級"), QDate(2004, 7, 5));
    d.reset();
    if (after == QLatin1String("clear"))
        d.clearAnswers();
    if (after == QLatin1String("abandon")) {
        play(d, {1, 2}, QStringLiteral("3"));
        d.reset();
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
