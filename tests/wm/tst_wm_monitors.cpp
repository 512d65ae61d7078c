// A laptop's 1366×768 panel and a 1920×1080 projector side by side on one 3286×1080 desktop that
// lists an 800×600 mode (two-monitors.sh): the desktop is never switched, and the main menu stands on
// the primary panel drawn at min(1366/800, 768/600) = 1.28, centred, whatever the projector's size.
#include "xdesktop.h"

#include "kit/registry.h"
#include "platform/display.h"
#include "shell/main.h"

#include <QRegularExpression>
#include <QScreen>

using testsupport::Program;

namespace {
// The panel at 1.28 is 1067×600 logical pixels: the layout stands 133 logical, 170.24 device
// pixels from its left edge, at the top.
QPoint seen(double x, double y) { return QPoint(qRound(170.24 + 1.28 * x), qRound(1.28 * y)); }

// The desktop's size as another client reads it.
QString desktopSize()
{
    QProcess p;
    p.start(QStringLiteral("xrandr"), {});
    p.waitForFinished(5000);
    return QRegularExpression(QStringLiteral("current (\\d+) x (\\d+)")).match(QString::fromLatin1(p.readAllStandardOutput())).captured(0);
}
} // namespace

class TestMonitors : public QObject {
    Q_OBJECT
private slots:
    void mainMenuOnThePrimaryPanel();
};

void TestMonitors::mainMenuOnThePrimaryPanel()
{
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run through two-monitors.sh");
    QCOMPARE(QGuiApplication::screens().size(), 2);
    QCOMPARE(display::layoutFactor(), 1.28);
    Program p;
    TForm1 *menu = p.screens().mainMenu;
    menu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::qWait(500);
    QCOMPARE(desktopSize(), QStringLiteral("current 3286 x 1080"));
    QCOMPARE(menu->screen(), QGuiApplication::primaryScreen());
    QCOMPARE(menu->geometry(), QRect(0, 0, 1067, 600));

    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QCOMPARE(shot.size(), QSize(1366, 768));
    const QColor blue(0, 0, 160);
    const auto face = [&](QPoint at) { return shot.pixelColor(at).red() > 200; }; // a button's white face
    // とうろくする's face (picture at 512,0, 204×114: face from x 520), and the blue just left of it.
    QVERIFY(face(seen(530, 57)));
    QCOMPARE(shot.pixelColor(seen(505, 57)), blue);
    // 先生用's face (picture at 8,8: face from x 16), and the margin left of the layout.
    QVERIFY(face(seen(20, 60)));
    QCOMPARE(shot.pixelColor(160, 77), blue);
    // おわる's face near the layout's foot (picture at 320,432: face down to y 535), the blue below.
    QVERIFY(face(seen(335, 490)));
    QCOMPARE(shot.pixelColor(seen(335, 560)), blue);
    QCOMPARE(shot.pixelColor(1360, 760), blue);
}

PZ_GUI_TEST_MAIN(TestMonitors)
#include "tst_wm_monitors.moc"
