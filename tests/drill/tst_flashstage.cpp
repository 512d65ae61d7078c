// The stage every flash is drawn on, alone on a bare window: the countdown keeps its own count
// whatever its label shows, the number goes where its digits belong (moved for a smaller window),
// and a stage without a countdown still flashes.
#include "support/testmain.h"

#include "drill/flashstage.h"
#include "drill/numberlabel.h"

#include <QFontInfo>
#include <QLabel>
#include <QWidget>

class TestFlashStage : public QObject {
    Q_OBJECT
private slots:
    void countdown();
    void placement_data();
    void placement();
    void withoutCountdown();
};

void TestFlashStage::countdown()
{
    QWidget window;
    FlashStage stage(&window, {.countdown = QStringLiteral("Label1"), .number = QStringLiteral("Label2")});
    QLabel *label = window.findChild<QLabel *>(QStringLiteral("Label1"));
    QCOMPARE(stage.countdown(), label);
    QCOMPARE(label->text(), QStringLiteral("3"));
    // Above the number, which paints its whole box.
    QCOMPARE(window.children().last(), label);

    // Whatever the label was made to show, the next figure is the stage's own count less one.
    label->setText(QStringLiteral("7"));
    QCOMPARE(stage.countDown(), 2);
    QCOMPARE(label->text(), QStringLiteral("2"));
    QCOMPARE(stage.countDown(), 1);
    QCOMPARE(stage.countDown(), 0);
    QCOMPARE(label->text(), QStringLiteral("0"));
    QCOMPARE(stage.countDown(), 0); // never below

    stage.blankCountdown();
    QCOMPARE(label->text(), QString());
    QVERIFY(!label->isHidden());
    QCOMPARE(stage.count(), -1);
    stage.hideCountdown();
    QVERIFY(label->isHidden());
    stage.resetCountdown();
    QCOMPARE(stage.count(), 3);
    QCOMPARE(label->text(), QStringLiteral("3"));
    QVERIFY(!label->isHidden());
}

void TestFlashStage::placement_data()
{
    QTest::addColumn<QPoint>("shift");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QRect>("box"); // x, y, width (height 0: the font's)

    QTest::newRow("three digits") << QPoint() << -1 << 3 << QRect(48, 72, 700, 0);
    QTest::newRow("two digits") << QPoint() << -1 << 2 << QRect(160, 72, 500, 0);
    QTest::newRow("one digit") << QPoint() << -1 << 1 << QRect(240, 72, 300, 0);
    QTest::newRow("no place for four: left where three go") << QPoint() << -1 << 4 << QRect(48, 72, 700, 0);
    QTest::newRow("none: left where three go") << QPoint() << -1 << 0 << QRect(48, 72, 700, 0);
    QTest::newRow("smaller window, one digit") << QPoint(-20, 0) << 48 << 1 << QRect(220, 48, 300, 0);
    QTest::newRow("smaller window, three digits") << QPoint(-20, 0) << 48 << 3 << QRect(28, 48, 700, 0);
    QTest::newRow("moved down") << QPoint(0, 10) << -1 << 2 << QRect(160, 82, 500, 0);
}

void TestFlashStage::placement()
{
    QFETCH(QPoint, shift);
    QFETCH(int, top);
    QFETCH(int, digits);
    QFETCH(QRect, box);
    QWidget window;
    FlashStage stage(&window, {.countdown = QStringLiteral("Countdown"), .number = QStringLiteral("Number")}, shift, top);
    stage.placeFor(digits);
    NumberLabel *n = stage.number();
    QCOMPARE(QRect(n->x(), n->y(), n->width(), 0), box);
    QCOMPARE(n->objectName(), QStringLiteral("Number"));
    QCOMPARE(n->font().pixelSize(), 400);
    QVERIFY(n->font().italic());
    // The design's proportional face, narrowed, not its fixed-pitch sister.
    QCOMPARE(QFontInfo(n->font()).family(), QStringLiteral("IPAPGothic"));
    QCOMPARE(n->palette().color(QPalette::WindowText), QColor(Qt::black));
}

void TestFlashStage::withoutCountdown()
{
    QWidget window;
    FlashStage stage(&window, {.countdown = {}, .number = QStringLiteral("Label2")});
    QCOMPARE(stage.countdown(), nullptr);
    QCOMPARE(window.findChildren<QLabel *>().size(), 1);
    QCOMPARE(stage.countDown(), 2); // counts all the same
    stage.showNumber(507);
    QCOMPARE(stage.number()->text(), QStringLiteral("507"));
    stage.clearNumber();
    QCOMPARE(stage.number()->text(), QString());
}

PZ_GUI_TEST_MAIN(TestFlashStage)
#include "tst_flashstage.moc"
