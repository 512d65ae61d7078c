// The road of one drill on a 1920×1080 display that is not switched: the 800×600 layout drawn 1.8
// times as large and centred. Every click goes where a person sees the control, worked out by hand
// from its design place; run beside openbox and on a bare X server (the runner gives the display).
#include "xdesktop.h"

#include "drill/drillsession.h"
#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/option.h"
#include "drill/start.h"
#include "drill/success.h"
#include "kit/app.h"
#include "kit/registry.h"
#include "platform/display.h"
#include "shell/main.h"
#include "users/regist.h"
#include "users/usrselect.h"

#include <QDate>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>

using namespace xdesktop;
using testsupport::Program;
using testsupport::recorder;

namespace {
// 1920×1080 at 1.8 is 1067×600 logical pixels: the layout stands (1067 − 800) / 2 = 133 logical,
// 239.4 device pixels from the left, at the top.
QPoint seen(double x, double y) { return QPoint(qRound(239.4 + 1.8 * x), qRound(1.8 * y)); }
// A control of a dialog, at its design place in the dialog's client area, wherever the window
// manager put the dialog's frame.
QPoint seenIn(QWidget *dialog, double x, double y)
{
    const QPoint client = dialog->geometry().topLeft(); // logical
    return QPoint(qRound(1.8 * (client.x() + x)), qRound(1.8 * (client.y() + y)));
}
} // namespace

class TestScaledRoad : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run under Xvfb at 1920x1080");
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().height(), 600);
        QVERIFY(display::layoutScaled());
        QCOMPARE(display::layoutFactor(), 1.8);
    }
    void roadOfOneDrill();
};

void TestScaledRoad::roadOfOneDrill()
{
    Program p;
    p.writeQuickTenthGrade();
    Screens &s = p.screens();
    s.mainMenu->Show();
    QVERIFY(QTest::qWaitForWindowExposed(s.mainMenu));
    QTest::qWait(300);

    // The margins are the menu's dark blue, not the desktop: the layout's corner at 239,0.
    const QImage menu = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QCOMPARE(menu.size(), QSize(1920, 1080));
    QCOMPARE(menu.pixelColor(5, 1075), QColor(0, 0, 160));
    QCOMPARE(menu.pixelColor(1915, 5), QColor(0, 0, 160));

    // とうろくする: its picture at 512,0, 204×114.
    QVERIFY(clickAt(seen(614, 57)));
    QTRY_VERIFY_WITH_TIMEOUT(s.registration->isVisible(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(s.registration->Edit1->hasFocus(), 3000);
    QVERIFY(typeText(QStringLiteral("hanako")));
    QVERIFY(clickAt(seenIn(s.registration, 16 + 232, 136 + 28))); // Edit2 at 16,136, 465×56
    QVERIFY(typeText(QStringLiteral("pass1")));
    QVERIFY(clickAt(seenIn(s.registration, 16 + 84, 208 + 20))); // CuteButton1 at 16,208, 169×41
    QTRY_COMPARE_WITH_TIMEOUT(recorder().texts(), QStringList{QStringLiteral("登録しました")}, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!s.registration->isVisible(), 3000);

    // ユーザー選択: its picture at 328,78; the one name in the list at 8,40; the password; Enter.
    QVERIFY(clickAt(seen(430, 135)));
    QTRY_VERIFY_WITH_TIMEOUT(s.login->isVisible() && s.login->ListBox1->count() == 1, 3000);
    QTest::qWait(300);
    QVERIFY(clickAt(seenIn(s.login, 8 + 100, 40 + 17)));
    QTRY_VERIFY_WITH_TIMEOUT(s.login->Edit1->hasFocus(), 2000);
    QVERIFY(typeText(QStringLiteral("pass1")));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(p.state().loggedIn && !s.login->isVisible(), 3000);

    // れんしゅうする (picture at 504,168), then １０級 (caption at 91,38).
    QTest::qWait(300);
    QVERIFY(clickAt(seen(606, 225)));
    QTRY_VERIFY_WITH_TIMEOUT(s.gradeSelection->isVisible(), 3000);
    QTest::qWait(300);
    QVERIFY(clickAt(seen(120, 52)));
    QTRY_VERIFY_WITH_TIMEOUT(s.flashScreen->isVisible(), 5000);
    // Once the flash screen is on the display (its white margin over the grades' dark blue, which
    // would pass for the countdown's colour): the countdown's "3" in the layout's dark blue, at its
    // scaled place (320,122, 267 px type).
    const auto whole = [] { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); };
    QTRY_COMPARE_WITH_TIMEOUT(whole().pixelColor(5, 5), QColor(Qt::white), 3000); // the flash screen's own margin
    const QImage countdown = whole();
    int blue = 0;
    for (const QPoint &at : {seen(320, 122), seen(380, 300), seen(440, 360)})
        for (int dy = 0; dy < 100; ++dy)
            for (int dx = 0; dx < 100; ++dx)
                blue += countdown.pixelColor(at + QPoint(dx, dy)) == QColor(0, 0, 160);
    QVERIFY2(blue > 1000, qPrintable(QString::number(blue)));

    for (int q = 1; q <= 10; ++q) {
        QTRY_VERIFY_WITH_TIMEOUT(s.answerBox->isVisible(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(s.answerBox->isActiveWindow(), 3000);
        const int sum = p.state().drill->runningSum();
        QVERIFY(typeText(QString::number(q == 5 ? sum + 1 : sum)));
        QVERIFY(pressKey("Return"));
        QTRY_VERIFY_WITH_TIMEOUT(!s.answerBox->isVisible(), 2000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(s.verdictBanner->isVisible(), 3000);
    QCOMPARE(p.state().drill->verdict(), QStringLiteral("合格"));
    QVERIFY(pressKey("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(s.resultSheet->isVisible(), 3000);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/M/dd"));
    QTRY_VERIFY_WITH_TIMEOUT(p.readFile("user/hanako.dat").endsWith(
                                 textfile::encode(QStringLiteral("１０級,%1,9,1,合格").arg(today)) + "\r\n"), 5000);

    // もどる: its picture at 720,520, 81×73.
    QTest::qWait(300);
    QVERIFY(clickAt(seen(760, 556)));
    QTRY_VERIFY_WITH_TIMEOUT(!s.resultSheet->isVisible(), 3000);
    QCOMPARE(p.app().activeScreen(), asScreen(s.gradeSelection));
}

PZ_GUI_TEST_MAIN(TestScaledRoad)
#include "tst_wm_scaled_road.moc"
