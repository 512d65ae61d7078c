// The answer rules: judging by value, marking by text, the verdict and the history line.
#include "drill/drillrules.h"
#include "platform/textfile.h"

#include <QtTest>

using namespace drillrules;

class TestDrillRules : public QObject {
    Q_OBJECT
private slots:
    void answerValue_data();
    void answerValue();
    void acceptableInput_data();
    void acceptableInput();
    void judgeAndMark_data();
    void judgeAndMark();
    void markRowsCounts_data();
    void markRowsCounts();
    void verdict_data();
    void verdict();
    void dateText_data();
    void dateText();
    void historyLineBytes();
    void questionSum_data();
    void questionSum();
};

void TestDrillRules::answerValue_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<int>("value");
    QTest::newRow("plain sum") << "123" << true << 123;
    QTest::newRow("leading zero keeps the value") << "0123" << true << 123;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("largest 32-bit value") << "2147483647" << true << 2147483647;
    QTest::newRow("one above the largest") << "2147483648" << false << 0;
    QTest::newRow("ten nines") << "9999999999" << false << 0;
    QTest::newRow("eleven digits, small value") << "00000000012" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("minus sign") << "-5" << false << 0;
    QTest::newRow("plus sign") << "+5" << false << 0;
    QTest::newRow("space") << " 5" << false << 0;
    QTest::newRow("full-width digits") << "１２" << false << 0;
    QTest::newRow("Arabic-Indic digit") << QString(QChar(0x0663)) << false << 0;
    QTest::newRow("pasted words") << "abc" << false << 0;
    QTest::newRow("decimal point") << "1.5" << false << 0;
}

void TestDrillRules::answerValue()
{
    QFETCH(QString, typed);
    QFETCH(bool, hasValue);
    QFETCH(int, value);
    const std::optional<qint32> v = drillrules::answerValue(typed);
    QCOMPARE(v.has_value(), hasValue);
    if (hasValue)
        QCOMPARE(*v, value);
}

void TestDrillRules::acceptableInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("acceptable");
    QTest::newRow("empty field") << "" << true;
    QTest::newRow("digits") << "4711" << true;
    QTest::newRow("leading zeros") << "007" << true;
    QTest::newRow("largest value") << "2147483647" << true;
    QTest::newRow("over the range") << "2147483648" << false;
    // The field has no length limit of its own: eleven characters are refused here, whole.
    QTest::newRow("eleven digits") << "12345678901" << false;
    QTest::newRow("eleven digits of a small value") << "00000000001" << false;
    QTest::newRow("letters") << "12a" << false;
    QTest::newRow("negative") << "-1" << false;
    QTest::newRow("full-width digit") << "３" << false;
    QTest::newRow("line break") << "12\n3" << false;
}

void TestDrillRules::acceptableInput()
{
    QFETCH(QString, text);
    QFETCH(bool, acceptable);
    QCOMPARE(isAcceptableInput(text), acceptable);
}

void TestDrillRules::judgeAndMark_data()
{
    QTest::addColumn<int>("sum");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("rightByValue");
    QTest::addColumn<bool>("rightByText");
    QTest::newRow("right") << 123 << "123" << true << true;
    QTest::newRow("wrong") << 123 << "132" << false << false;
    QTest::newRow("0123 for 123: judged right, marked wrong") << 123 << "0123" << true << false;
    QTest::newRow("00 for 0") << 0 << "00" << true << false;
    QTest::newRow("over the range is never right") << 2147483647 << "2147483648" << false << false;
    QTest::newRow("largest sum") << 2147483647 << "2147483647" << true << true;
}

void TestDrillRules::judgeAndMark()
{
    QFETCH(int, sum);
    QFETCH(QString, typed);
    QFETCH(bool, rightByValue);
    QFETCH(bool, rightByText);
    QCOMPARE(isCorrectByValue(typed, sum), rightByValue);
    QCOMPARE(isCorrectByText(QString::number(sum), typed), rightByText);
}

void TestDrillRules::markRowsCounts_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QList<bool>>("right");
    QTest::addColumn<int>("correct");
    QTest::addColumn<int>("incorrect");
    const QStringList answers{"15", "23", "8", "30", "12", "19", "27", "11", "16", "21"};
    QTest::newRow("ten right") << answers << answers << QList<bool>(10, true) << 10 << 0;
    QStringList seven = answers;
    seven[1] = "32"; seven[4] = ""; seven[9] = "0021";
    QList<bool> sevenRight(10, true);
    sevenRight[1] = sevenRight[4] = sevenRight[9] = false;
    QTest::newRow("seven right, one empty, one with a leading zero") << answers << seven << sevenRight << 7 << 3;
    QTest::newRow("nothing typed") << answers << QStringList(10) << QList<bool>(10, false) << 0 << 10;
}

void TestDrillRules::markRowsCounts()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, typed);
    QFETCH(QList<bool>, right);
    QFETCH(int, correct);
    QFETCH(int, incorrect);
    const Marks m = markRows(answers, typed);
    QCOMPARE(m.right, right);
    QCOMPARE(m.correct, correct);
    QCOMPARE(m.incorrect, incorrect);
}

void TestDrillRules::verdict_data()
{
    QTest::addColumn<int>("correct");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<int>("left");
    QTest::newRow("ten pass") << 10 << "合格" << 120;
    QTest::newRow("eight pass") << 8 << "合格" << 120;
    QTest::newRow("seven fail") << 7 << "不合格" << 0;
    QTest::newRow("none fail") << 0 << "不合格" << 0;
}

void TestDrillRules::verdict()
{
    QFETCH(int, correct);
    QFETCH(QString, verdict);
    QFETCH(int, left);
    QCOMPARE(verdictText(correct), verdict);
    QCOMPARE(verdictLeft(verdictText(correct)), left);
}

void TestDrillRules::dateText_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("single-digit month, no zero; single-digit day, zero") << QDate(2004, 7, 5) << "2004/7/05";
    QTest::newRow("two-digit month and day") << QDate(2004, 11, 12) << "2004/11/12";
    QTest::newRow("first of January") << QDate(2025, 1, 1) << "2025/1/01";
    QTest::newRow("last of December") << QDate(1999, 12, 31) << "1999/12/31";
}

void TestDrillRules::dateText()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(drillrules::dateText(date), text);
}

void TestDrillRules::historyLineBytes()
{
    const QString line = historyLine(QStringLiteral("１０級"), QDate(2004, 7, 5), 9, 1, QStringLiteral("合格"));
    QCOMPARE(line, QStringLiteral("１０級,2004/7/05,9,1,合格"));
    // The history file is cp932: １ = 82 50, ０ = 82 4F, 級 = 8B 89, 合 = 8D 87, 格 = 8A 69.
    QCOMPARE(textfile::encode(line), QByteArray("\x82\x50\x82\x4f\x8b\x89,2004/7/05,9,1,\x8d\x87\x8a\x69"));
    QCOMPARE(historyLine(QStringLiteral("十段"), QDate(2004, 11, 12), 7, 3, QStringLiteral("不合格")),
             QStringLiteral("十段,2004/11/12,7,3,不合格"));
}

void TestDrillRules::questionSum_data()
{
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<qint64>("sum");
    QTest::newRow("none") << QList<int>{} << qint64(0);
    QTest::newRow("one") << QList<int>{7} << qint64(7);
    QTest::newRow("十段's fifteen") << QList<int>{999, 1, 500, 250, 125, 62, 31, 15, 7, 3, 1, 100, 900, 10, 90} << qint64(3094);
    QTest::newRow("99 of 999") << QList<int>(99, 999) << qint64(98901);
    // Past 32 bits: the sum is not wrapped round.
    QTest::newRow("past 2^31") << QList<int>{2147483647, 1} << qint64(2147483648LL);
    QTest::newRow("three largest") << QList<int>(3, 2147483647) << qint64(6442450941LL);
}

void TestDrillRules::questionSum()
{
    QFETCH(QList<int>, numbers);
    QFETCH(qint64, sum);
    QCOMPARE(drillrules::questionSum(numbers), sum);
}

QTEST_GUILESS_MAIN(TestDrillRules)
#include "tst_core_drillrules.moc"
