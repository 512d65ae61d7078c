// How large the 800×600 layout is drawn on a display, by the machine's choice, and where it stands.
#include "base/displayscale.h"

#include <QPoint>
#include <QTest>

using displayscale::Choice;
Q_DECLARE_METATYPE(Choice)

class TestDisplayScale : public QObject {
    Q_OBJECT
private slots:
    void factor_data();
    void factor();
    void choice_data();
    void choice();
    void centred_data();
    void centred();
};

void TestDisplayScale::factor_data()
{
    QTest::addColumn<QSize>("display");
    QTest::addColumn<Choice>("choice");
    QTest::addColumn<bool>("switchable");
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("scales"); // the layout drawn to the display and centred at all
    QTest::newRow("800x600 stays") << QSize(800, 600) << Choice::Scale << false << 1.0 << false;
    QTest::newRow("switch with 800x600 listed") << QSize(1920, 1080) << Choice::Switch << true << 1.0 << false;
    QTest::newRow("switch without it: scaled") << QSize(1920, 1080) << Choice::Switch << false << 1.8 << true;
    QTest::newRow("scale never switches") << QSize(1920, 1080) << Choice::Scale << true << 1.8 << true;
    QTest::newRow("1366x768: the height decides") << QSize(1366, 768) << Choice::Scale << false << 1.28 << true;
    QTest::newRow("2560x1440") << QSize(2560, 1440) << Choice::Scale << false << 2.4 << true;
    QTest::newRow("portrait: the width decides") << QSize(1080, 1920) << Choice::Scale << false << 1.35 << true;
    QTest::newRow("1024x768: 4:3") << QSize(1024, 768) << Choice::Scale << false << 1.28 << true;
    QTest::newRow("smaller: down, never cut off") << QSize(640, 480) << Choice::Scale << false << 0.8 << true;
    QTest::newRow("only the width is short") << QSize(720, 900) << Choice::Switch << false << 0.9 << true;
    QTest::newRow("800x700: centred, drawn at 1") << QSize(800, 700) << Choice::Switch << false << 1.0 << true;
    QTest::newRow("no display known") << QSize() << Choice::Scale << false << 1.0 << false;
}

void TestDisplayScale::factor()
{
    QFETCH(QSize, display);
    QFETCH(Choice, choice);
    QFETCH(bool, switchable);
    QFETCH(double, factor);
    QFETCH(bool, scales);
    QCOMPARE(displayscale::factor(display, choice, switchable), factor);
    QCOMPARE(displayscale::scales(display, choice, switchable), scales);
}

void TestDisplayScale::choice_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("choice"); // -1: refused
    QTest::newRow("nothing: switch") << "" << int(Choice::Switch);
    QTest::newRow("switch") << "switch" << int(Choice::Switch);
    QTest::newRow("scale") << "scale" << int(Choice::Scale);
    QTest::newRow("capital") << "Scale" << -1;
    QTest::newRow("with a space") << "scale " << -1;
    QTest::newRow("other") << "stretch" << -1;
}

void TestDisplayScale::choice()
{
    QFETCH(QString, value);
    QFETCH(int, choice);
    const auto got = displayscale::choiceFrom(value);
    QCOMPARE(got ? int(*got) : -1, choice);
}

void TestDisplayScale::centred_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("origin");
    QTest::newRow("800x600") << QSize(800, 600) << QPoint(0, 0);
    QTest::newRow("1920x1080 at 1.8") << QSize(1067, 600) << QPoint(133, 0);
    QTest::newRow("1366x768 at 1.28") << QSize(1067, 600) << QPoint(133, 0);
    QTest::newRow("portrait at 1.35") << QSize(800, 1422) << QPoint(0, 411);
    QTest::newRow("unscaled 1024x768") << QSize(1024, 768) << QPoint(112, 84);
}

void TestDisplayScale::centred()
{
    QFETCH(QSize, window);
    QFETCH(QPoint, origin);
    QCOMPARE(displayscale::centredOrigin(window), origin);
}

QTEST_APPLESS_MAIN(TestDisplayScale)
#include "tst_core_displayscale.moc"
