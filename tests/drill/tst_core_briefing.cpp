// The briefing's parameter line and centring.
#include "drill/briefing.h"

#include <QtTest>

class TestBriefing : public QObject {
    Q_OBJECT
private slots:
    void parameterLine_data();
    void parameterLine();
    void centredLeft_data();
    void centredLeft();
};

void TestBriefing::parameterLine_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole seconds, no point") << 3 << 15 << 10.0 << "3桁15口10秒";
    QTest::newRow("fraction kept") << 3 << 10 << 4.5 << "3桁10口4.5秒";
    QTest::newRow("no trailing zeros") << 1 << 4 << 0.25 << "1桁4口0.25秒";
    QTest::newRow("fifteen significant digits") << 2 << 5 << 1.0 / 3 << "2桁5口0.333333333333333秒";
}

void TestBriefing::parameterLine()
{
    QFETCH(int, digits);
    QFETCH(int, count);
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(briefing::parameterLine(digits, count, seconds), text);
}

void TestBriefing::centredLeft_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("left");
    QTest::newRow("odd width: 249.5 truncated") << 301 << 249;
    QTest::newRow("even width") << 300 << 250;
    QTest::newRow("-0.5 truncates toward zero") << 801 << 0;
    QTest::newRow("wider than the screen") << 900 << -50;
}

void TestBriefing::centredLeft()
{
    QFETCH(int, width);
    QFETCH(int, left);
    QCOMPARE(briefing::centredLeft(width), left);
}

QTEST_GUILESS_MAIN(TestBriefing)
#include "tst_core_briefing.moc"
