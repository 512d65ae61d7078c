// How large the 800×600 layout is drawn on a display, by the machine's choice, and where it stands.
#include "base/displayscale.h"

#include <QPoint>
#include <QTest>

using displayscale::Choice;
using displayscale::Monitor;
Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(QList<Monitor>)

class TestDisplayScale : public QObject {
    Q_OBJECT
private slots:
    void factor_data();
    void factor();
    void monitors_data();
    void monitors();
    void listed_data();
    void listed();
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

void TestDisplayScale::monitors_data()
{
    QTest::addColumn<QList<Monitor>>("monitors");
    QTest::addColumn<Choice>("choice");
    QTest::addColumn<bool>("switchable");
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("scales");
    QTest::addColumn<bool>("neverSwitch");
    QTest::addColumn<QString>("screenFactors");
    const Monitor laptop{QStringLiteral("eDP-1"), {1366, 768}, true};
    const Monitor projector{QStringLiteral("HDMI-1"), {1920, 1080}, false};
    QTest::newRow("none known") << QList<Monitor>{} << Choice::Switch << false << 1.0 << false << false << "";
    QTest::newRow("one, switchable") << QList<Monitor>{projector} << Choice::Switch << true << 1.0 << false << false << "";
    QTest::newRow("one, scaled") << QList<Monitor>{laptop} << Choice::Switch << false << 1.28 << true << false << "";
    QTest::newRow("laptop and projector") << QList<Monitor>{laptop, projector} << Choice::Switch << true << 1.28 << true
                                          << true << "eDP-1=1.28;HDMI-1=1.8";
    QTest::newRow("the projector primary") << QList<Monitor>{{"eDP-1", {1366, 768}, false}, {"HDMI-1", {1920, 1080}, true}}
                                           << Choice::Scale << false << 1.8 << true << true << "eDP-1=1.28;HDMI-1=1.8";
    QTest::newRow("none primary: the first") << QList<Monitor>{{"A", {1920, 1080}, false}, {"B", {1024, 768}, false}}
                                             << Choice::Switch << false << 1.8 << true << true << "A=1.8;B=1.28";
    QTest::newRow("800x600 primary beside a larger one")
        << QList<Monitor>{{"VGA-1", {800, 600}, true}, projector} << Choice::Switch << true << 1.0 << true << true
        << "VGA-1=1;HDMI-1=1.8";
    QTest::newRow("two at 800x600: never switched, nothing scaled")
        << QList<Monitor>{{"VGA-1", {800, 600}, true}, {"VGA-2", {800, 600}, false}} << Choice::Switch << true << 1.0
        << false << true << "";
    QTest::newRow("a small one: down") << QList<Monitor>{laptop, {"DP-2", {640, 480}, false}} << Choice::Switch << false
                                       << 1.28 << true << true << "eDP-1=1.28;DP-2=0.8";
    QTest::newRow("names with '-', '.', ' '") << QList<Monitor>{{"DP-1.2", {1280, 1024}, true}, {"my tv", {3840, 2160}, false}}
                                             << Choice::Switch << false << 1.6 << true << true
                                             << "DP-1.2=1.6;my tv=3.6";
    QTest::newRow("a ';' in a name: the primary's for all")
        << QList<Monitor>{laptop, {"a;b", {1920, 1080}, false}} << Choice::Switch << false << 1.28 << true << true << "";
    QTest::newRow("an '=' in a name: Qt takes the last")
        << QList<Monitor>{laptop, {"a=b", {1920, 1080}, false}} << Choice::Switch << false << 1.28 << true << true
        << "eDP-1=1.28;a=b=1.8";
    QTest::newRow("a nameless one: the primary's for all")
        << QList<Monitor>{laptop, {"", {1920, 1080}, false}} << Choice::Switch << false << 1.28 << true << true << "";
}

void TestDisplayScale::monitors()
{
    QFETCH(QList<Monitor>, monitors);
    QFETCH(Choice, choice);
    QFETCH(bool, switchable);
    const displayscale::Plan plan = displayscale::plan(monitors, choice, switchable);
    QTEST(plan.factor, "factor");
    QTEST(plan.scales, "scales");
    QTEST(plan.neverSwitch, "neverSwitch");
    QTEST(plan.screenFactors, "screenFactors");
}

void TestDisplayScale::listed_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("factor"); // 0: not listed
    QTest::newRow("first") << "eDP-1=1.28;HDMI-1=1.8" << "eDP-1" << 1.28;
    QTest::newRow("second") << "eDP-1=1.28;HDMI-1=1.8" << "HDMI-1" << 1.8;
    QTest::newRow("a prefix is not the name") << "eDP-1=1.28;HDMI-1=1.8" << "eDP" << 0.0;
    QTest::newRow("not listed") << "eDP-1=1.28" << "HDMI-1" << 0.0;
    QTest::newRow("no name") << "=1.28" << "" << 0.0;
    QTest::newRow("an '=' in the name") << "eDP-1=1.28;a=b=1.8" << "a=b" << 1.8;
    QTest::newRow("nothing trimmed") << "eDP-1=1.28; HDMI-1=1.8" << "HDMI-1" << 0.0;
    QTest::newRow("factors without names") << "1.28;1.8" << "1.28" << 0.0;
    QTest::newRow("not a number") << "eDP-1=big" << "eDP-1" << 0.0;
    QTest::newRow("zero") << "eDP-1=0" << "eDP-1" << 0.0;
}

void TestDisplayScale::listed()
{
    QFETCH(QString, list);
    QFETCH(QString, name);
    QFETCH(double, factor);
    QCOMPARE(displayscale::listedFactor(list, name).value_or(0.0), factor);
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
