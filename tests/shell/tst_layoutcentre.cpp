// A full screen on a display larger than its 800×600 layout: the controls stand centred, in their
// own places relative to one another, where a click finds them, and follow the window's size.
#include "support/testmain.h"

#include "kit/registry.h"
#include "kit/screen.h"
#include "records/classoverview.h"
#include "shell/main.h"

#include <QLabel>
#include <QTableView>

using testsupport::Program;

class TestLayoutCentre : public QObject {
    Q_OBJECT
private slots:
    void controlsStandCentred_data();
    void controlsStandCentred();
    void laterControlJoins();
    void stretchingTableKeepsTheLayout();
};

void TestLayoutCentre::controlsStandCentred_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("image1"); // とうろくする's picture, designed at 512,0
    QTest::addColumn<QPoint>("label7"); // 先生用, designed at 48,40
    QTest::newRow("800x600: as designed") << QSize(800, 600) << QPoint(512, 0) << QPoint(48, 40);
    QTest::newRow("1920x1080 at 1.8") << QSize(1067, 600) << QPoint(645, 0) << QPoint(181, 40);
    QTest::newRow("portrait") << QSize(800, 1000) << QPoint(512, 200) << QPoint(48, 240);
    QTest::newRow("unscaled 1024x768") << QSize(1024, 768) << QPoint(624, 84) << QPoint(160, 124);
}

void TestLayoutCentre::controlsStandCentred()
{
    QFETCH(QSize, window);
    QFETCH(QPoint, image1);
    QFETCH(QPoint, label7);
    Program p;
    Screen *menu = asScreen(p.screens().mainMenu);
    menu->resize(window);
    menu->show(); // the size the window system gave it, as a window is shown
    QWidget *picture = menu->findChild<QWidget *>("Image1");
    QWidget *teacher = menu->findChild<QWidget *>("Label7");
    QVERIFY(picture && teacher);
    QCOMPARE(picture->mapTo(menu, QPoint(0, 0)), image1);
    QCOMPARE(teacher->mapTo(menu, QPoint(0, 0)), label7);
    // A click where the picture is seen reaches it (or the caption on it), not the margin.
    QWidget *hit = menu->childAt(image1 + QPoint(100, 57));
    QVERIFY(hit == picture || hit == menu->findChild<QWidget *>("Label1"));
    QVERIFY(!menu->childAt(QPoint(window.width() - 1, window.height() - 1)) || window == QSize(800, 600));
    QCOMPARE(menu->layoutSize(), QSize(800, 600));
    // Every control moved with the layout: none is left behind at the window's corner.
    const auto direct = menu->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QCOMPARE(direct.size(), 1);
    QCOMPARE(menu->findChild<QWidget *>("Label4")->mapTo(menu, QPoint(0, 0)), label7 + QPoint(381 - 48, 472 - 40));
}

void TestLayoutCentre::laterControlJoins()
{
    Program p;
    Screen *menu = asScreen(p.screens().mainMenu);
    menu->resize(1067, 600);
    menu->show();
    auto *late = new QLabel(QStringLiteral("x"), menu);
    late->move(10, 20);
    late->hide();
    QCoreApplication::processEvents();
    QCOMPARE(late->mapTo(menu, QPoint(0, 0)), QPoint(143, 20));
    QVERIFY(late->isHidden()); // joins as it was: hidden stays hidden
    // The window back at 800×600 (a projector unplugged): the layout follows.
    menu->resize(800, 600);
    QCOMPARE(late->mapTo(menu, QPoint(0, 0)), QPoint(10, 20));
}

void TestLayoutCentre::stretchingTableKeepsTheLayout()
{
    Program p;
    Screen *overview = asScreen(p.screens().classOverview);
    overview->resize(1067, 600);
    overview->show();
    overview->FormActivate();
    QTableView *grid = p.screens().classOverview->Grid;
    QCOMPARE(grid->geometry(), QRect(8, 72, 784, 520));
    QCOMPARE(grid->mapTo(overview, QPoint(0, 0)), QPoint(141, 72));
}

PZ_GUI_TEST_MAIN(TestLayoutCentre)
#include "tst_layoutcentre.moc"
