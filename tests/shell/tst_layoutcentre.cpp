// Where the 800×600 layout stands. With no scaling decided at the start (an 800×600 display, or the
// tests' own offscreen screen) every window stands exactly where it was designed. On a scaled
// display a full screen keeps its controls, their parents and their paint order, moved together to
// the centred layout; dialogs keep their place on that layout; and a change of size re-centres it.
#include "support/testmain.h"

#include "drill/numberlabel.h"
#include "drill/start.h"
#include "drill/success.h"
#include "kit/registry.h"
#include "kit/screen.h"
#include "platform/display.h"
#include "records/classoverview.h"
#include "shell/main.h"

#include <QLabel>
#include <QTableView>

using testsupport::Program;

namespace {
// A start that decided to scale, for one test.
struct ScaledStart {
    ScaledStart() { display::setLayoutScaled(true); }
    ~ScaledStart() { display::setLayoutScaled(false); }
};

QList<QWidget *> directControls(QWidget *w) { return w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly); }
} // namespace

class TestLayoutCentre : public QObject {
    Q_OBJECT
private slots:
    void noDecisionKeepsEveryPlace();
    void controlsStandCentred_data();
    void controlsStandCentred();
    void dialogsKeepTheirPlaceOnTheLayout();
    void stretchingTableKeepsTheLayout();
    void placesSetWhileRunningFollowTheLayout();
};

void TestLayoutCentre::noDecisionKeepsEveryPlace()
{
    // The offscreen screen is 800×800: nothing may move for it.
    Program p;
    Screen *menu = asScreen(p.screens().mainMenu);
    menu->show();
    QCOMPARE(menu->findChild<QWidget *>("Image1")->pos(), QPoint(512, 0));
    QCOMPARE(menu->layoutOrigin(), QPoint(0, 0));
    QCOMPARE(asScreen(p.screens().registration)->pos(), QPoint(201, 142));
    QCOMPARE(asScreen(p.screens().login)->pos(), QPoint(149, 76));
}

void TestLayoutCentre::controlsStandCentred_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("image1"); // とうろくする's picture, designed at 512,0
    QTest::addColumn<QPoint>("label4"); // おわる, designed at 381,472
    QTest::newRow("800x600: as designed") << QSize(800, 600) << QPoint(512, 0) << QPoint(381, 472);
    QTest::newRow("1920x1080 at 1.8") << QSize(1067, 600) << QPoint(645, 0) << QPoint(514, 472);
    QTest::newRow("2560x1440 at 2.4, the same") << QSize(1067, 600) << QPoint(645, 0) << QPoint(514, 472);
    QTest::newRow("portrait") << QSize(800, 1000) << QPoint(512, 200) << QPoint(381, 672);
    QTest::newRow("1024x768 unscaled") << QSize(1024, 768) << QPoint(624, 84) << QPoint(493, 556);
}

void TestLayoutCentre::controlsStandCentred()
{
    QFETCH(QSize, window);
    QFETCH(QPoint, image1);
    QFETCH(QPoint, label4);
    ScaledStart scaled;
    Program p;
    Screen *menu = asScreen(p.screens().mainMenu);
    const QList<QWidget *> order = directControls(menu);
    menu->resize(window);
    menu->show();
    QWidget *picture = menu->findChild<QWidget *>("Image1");
    QCOMPARE(picture->parentWidget(), menu);
    QCOMPARE(picture->pos(), image1);
    QCOMPARE(menu->findChild<QWidget *>("Label4")->pos(), label4);
    QCOMPARE(menu->layoutSize(), QSize(800, 600));
    // Nothing re-parented, nothing re-ordered: a picture stays under its caption.
    QCOMPARE(directControls(menu), order);
    // A click where the picture is seen reaches it (or the caption on it); the margin is empty.
    QWidget *hit = menu->childAt(image1 + QPoint(100, 57));
    QVERIFY(hit == picture || hit == menu->findChild<QWidget *>("Label1"));
    if (window.width() > 800)
        QCOMPARE(menu->childAt(QPoint(window.width() - 1, 300)), nullptr);
    // Back at 800×600 (a projector unplugged): the layout follows, back at the corner.
    menu->resize(800, 600);
    QCOMPARE(picture->pos(), QPoint(512, 0));
}

void TestLayoutCentre::dialogsKeepTheirPlaceOnTheLayout()
{
    // The offscreen screen, 800×800 drawn at 1, puts the layout 100 px down.
    ScaledStart scaled;
    Program p;
    QCOMPARE(asScreen(p.screens().registration)->pos(), QPoint(201, 242));
    QCOMPARE(asScreen(p.screens().login)->pos(), QPoint(149, 176));
    QCOMPARE(asScreen(p.screens().userDeletion)->pos(), QPoint(150, 255));
}

void TestLayoutCentre::stretchingTableKeepsTheLayout()
{
    ScaledStart scaled;
    Program p;
    Screen *overview = asScreen(p.screens().classOverview);
    overview->resize(1067, 600);
    overview->show();
    overview->FormActivate();
    QTableView *grid = p.screens().classOverview->Grid;
    QCOMPARE(grid->geometry(), QRect(141, 72, 784, 520));
}

void TestLayoutCentre::placesSetWhileRunningFollowTheLayout()
{
    // Shown, a full screen takes the offscreen screen's 800×800: the layout 100 px down.
    ScaledStart scaled;
    Program p;
    TForm2 *flash = p.screens().flashScreen;
    p.state().gradeParams = GradeParams{1, 2, 9};
    flash->Show();
    QCOMPARE(flash->Label1->pos(), QPoint(320, 222));
    flash->Timer1Timer();
    flash->Timer1Timer();
    flash->Timer1Timer();
    // The flashed number, placed at its first flash for its digit count.
    flash->MMTimer2Timer(flash->MMTimer2);
    QCOMPARE(flash->Label2->pos(), QPoint(240, 172));
    // The display grown while the number is up: everything follows, the next placement too.
    flash->resize(1067, 600);
    QCOMPARE(flash->Label2->pos(), QPoint(133 + 240, 72));
    flash->MMTimer3Timer(flash->MMTimer3);
    flash->MMTimer2Timer(flash->MMTimer2);
    QCOMPARE(flash->Label2->pos(), QPoint(133 + 240, 72));
    QCOMPARE(flash->Label1->pos(), QPoint(133 + 320, 122));
    flash->Close();
    // The verdict, placed by its width when it is shown.
    TForm6 *verdict = p.screens().verdictBanner;
    verdict->Show();
    verdict->present(QStringLiteral("不合格"), 40);
    QCOMPARE(verdict->Label1->pos(), QPoint(40, 116));
    verdict->Timer1->stop();
}

PZ_GUI_TEST_MAIN(TestLayoutCentre)
#include "tst_layoutcentre.moc"
