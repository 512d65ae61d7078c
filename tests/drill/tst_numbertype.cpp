// The flashed number's type on a display drawn scaled by a factor that is not whole (1366×768
// shows the 800×600 layout at 1.28): the design's proportional face, narrowed to half an em, in
// the digits prepared at the device's pixels, never the fixed-pitch sister face.
#include "support/testmain.h"

#include "drill/flashstage.h"
#include "drill/numberlabel.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QtMath>
#include <QWidget>

namespace {
// Set before main, so that the program's own decision sees it before the application exists.
const bool scaled = qputenv("QT_SCALE_FACTOR", "1.28");

// The dark pixels of row y, as runs from left to right.
int inkRuns(const QImage &image, int y)
{
    int runs = 0;
    bool inInk = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool ink = qGray(image.pixel(x, y)) < 128;
        runs += ink && !inInk;
        inInk = ink;
    }
    return runs;
}

// The rows holding any dark pixel.
std::pair<int, int> inkedRows(const QImage &image)
{
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                top = top < 0 ? y : top;
                bottom = y;
                break;
            }
    return {top, bottom};
}
} // namespace

class TestNumberType : public QObject {
    Q_OBJECT
private slots:
    void theDesignFace();
    void strokesAcrossTheMiddle_data();
    void strokesAcrossTheMiddle();
};

void TestNumberType::theDesignFace()
{
    QVERIFY(scaled);
    QWidget window;
    FlashStage stage(&window, {.countdown = {}, .number = QStringLiteral("Label2")});
    NumberLabel *n = stage.number();
    QVERIFY2(qAbs(n->devicePixelRatioF() - 1.28) < 0.001, qPrintable(QString::number(n->devicePixelRatioF())));
    const QFontInfo info(n->font());
    QCOMPARE(info.family(), QStringLiteral("IPAPGothic"));
    QVERIFY(info.italic());
    QCOMPARE(info.pixelSize(), 400);
    // Half an em, so three digits fit the 700 px label: IPA P Gothic's 252 px digits at 79 %.
    const QFontMetrics fm(n->font());
    for (char d : {'0', '1', '7', '8'})
        QCOMPARE(fm.horizontalAdvance(QLatin1Char(d)), 199);
}

void TestNumberType::strokesAcrossTheMiddle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("runs"); // dark runs on the row halfway down the ink
    // A zero is an oval: its two sides. The fixed-pitch face's zero has a slash between them.
    QTest::newRow("0") << QStringLiteral("0") << 2;
    QTest::newRow("1") << QStringLiteral("1") << 1;
    QTest::newRow("100") << QStringLiteral("100") << 5;
    QTest::newRow("707") << QStringLiteral("707") << 4;
}

void TestNumberType::strokesAcrossTheMiddle()
{
    QFETCH(QString, text);
    QFETCH(int, runs);
    QWidget window;
    FlashStage stage(&window, {.countdown = {}, .number = QStringLiteral("Label2")});
    stage.placeFor(text.size());
    stage.prepare();
    NumberLabel *n = stage.number();
    n->setText(text);
    // As the flash screen shows it: painted from the digits prepared at 1.28.
    const QImage shot = n->grab().toImage();
    QCOMPARE(shot.width(), qCeil(n->width() * 1.28));
    const auto [top, bottom] = inkedRows(shot);
    QVERIFY2(top >= 0, "no ink drawn");
    QCOMPARE(inkRuns(shot, (top + bottom) / 2), runs);
}

PZ_GUI_TEST_MAIN(TestNumberType)
#include "tst_numbertype.moc"
