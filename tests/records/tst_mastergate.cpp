// The students' records: layout, the list filled at each opening and after the settings editor,
// choosing a name, the table's row counts and closing (which logs out). The deletion question is
// tests/users/tst_deleteconfirm.cpp.
#include "support/studentsrecords.h"

#include "drill/pace.h"
#include "platform/textfile.h"
#include "records/mastergate.h"
#include "records/recordgrid.h"
#include "settings/settei.h"
#include "shell/main.h"
#include "kit/widgets.h"
#include "users/delkakunin.h"
#include "users/userstore.h"
#include "users/usrselect.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

using testsupport::cp932Lines;
using testsupport::Program;
using testsupport::recorder;

using namespace studentsrecords;

class TestStudentsRecords : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void window_data();
    void window();
    void windowListAndTable();
    void openingListsEachUserOnce();
    void choosingShowsHistory();
    void zeroByteHistoryBlanksEveryRow();
    void missingHistory();
    void arrowKeyChooses();
    void firstArrowChoosesTheFirstName_data();
    void firstArrowChoosesTheFirstName();
    void settingsEditorReturnRefills();
    void closingLogsOutAndEmpties();
    void screenSettingsDoesNothing();
    void bandCaptionsOneSizeInsideTheirBars();
    void lateDrillsMarked_data();
    void lateDrillsMarked();
};

void TestStudentsRecords::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    const QColor black(Qt::black);
    layoutRow("Label1", {8, 16}, {}, QString(""), 24, Qt::white, 1);
    layoutRow("Image4", {336, 8}, {121, 73});
    layoutRow("Label5", {345, 30}, {}, QStringLiteral("画面設定"), 24, black, 1);
    layoutRow("Image3", {472, 8}, {121, 73});
    layoutRow("Label4", {481, 30}, {}, QStringLiteral("環境設定"), 24, black, 1);
    layoutRow("Image2", {608, 8}, {81, 65});
    layoutRow("Label3", {619, 27}, {}, QStringLiteral("削除"), 27, black, 1);
    layoutRow("Image1", {704, 8}, {81, 65});
    layoutRow("Label2", {713, 27}, {}, QStringLiteral("もどる"), 24, black, 1);
    layoutRow("ListBox1", {8, 112}, {177, 337}, QString(), 16, QColor(), 1);
    layoutRow("StringGrid1", {192, 80}, {608, 465}, QString(), 29, QColor(), 1);
}

void TestStudentsRecords::layout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().studentsRecords);
}

// The band's five captions: one size, and each ink clear of its bar's rounded ends (10 px on both sides)
// and centred on it within a pixel or two.
void TestStudentsRecords::bandCaptionsOneSizeInsideTheirBars()
{
    Program p;
    TForm13 *f = p.screens().studentsRecords;
    const char *const captions[] = {"クラスのようす", "CSVで保存", "合格証", "PCチェック", "みんなでフラッシュ"};
    for (int i = 6; i <= 10; ++i) {
        auto *caption = f->findChild<QLabel *>(QStringLiteral("Label%1").arg(i));
        auto *bar = f->findChild<QWidget *>(QStringLiteral("Image%1").arg(i - 1));
        QVERIFY(caption && bar);
        QCOMPARE(caption->text(), QString::fromUtf8(captions[i - 6]));
        QCOMPARE(caption->font().pixelSize(), 14);
        const QRectF ink = QFontMetricsF(caption->font()).tightBoundingRect(caption->text())
                               .translated(caption->pos() + caption->contentsRect().topLeft());
        const qreal left = ink.left() - bar->x(), right = bar->x() + bar->width() - ink.right();
        const QString where = QStringLiteral("%1: %2 px left, %3 px right").arg(caption->text()).arg(left).arg(right);
        QVERIFY2(left >= 10 && right >= 10, qPrintable(where));
        QVERIFY2(qAbs(left - right) <= 3, qPrintable(where));
    }
}

void TestStudentsRecords::window_data()
{
    testsupport::windowColumns();
    testsupport::windowRow("studentsRecords", QStringLiteral("生徒の記録"), testsupport::Kind::FullScreen, {},
                           {"Label5", "Image4", "Label4", "Image3", "Label3", "Image2", "Label2", "Image1"});
}

void TestStudentsRecords::window()
{
    Program p;
    testsupport::checkWindow(p.screens());
}

void TestStudentsRecords::windowListAndTable()
{
    Program p;
    TForm13 *f = p.screens().studentsRecords;

    QListWidget *list = f->ListBox1;
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!list->isSortingEnabled());

    RecordGrid *g = f->StringGrid1;
    QVERIFY(g->frameShape() != QFrame::NoFrame);
    const int widths[] = {90, 167, 97, 130, 116};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(g->columnWidth(c), widths[c]);
    QCOMPARE(g->horizontalHeader()->height(), 45);
    QCOMPARE(g->verticalHeader()->defaultSectionSize(), 45);
    QCOMPARE(g->RowCount(), 5);
    QCOMPARE(g->FixedRows(), 1);

    // 16 pixels a name.
    for (int i = 0; i < 40; ++i)
        addUser(p, QStringLiteral("user%1").arg(i), drills(0));
    open(p);
    QCOMPARE(list->count(), 40);
    QCOMPARE(list->visualItemRect(list->item(3)).height(), 16);
    QCOMPARE(list->visualItemRect(list->item(3)).top() - list->visualItemRect(list->item(2)).top(), 16);
}

void TestStudentsRecords::openingListsEachUserOnce()
{
    Program p;
    for (const QString &n : {QStringLiteral("たろう"), QStringLiteral("はなこ"), QStringLiteral("Aki"), QStringLiteral("一郎")})
        addUser(p, n, drills(1));
    addUser(p, QStringLiteral("ごろう"), drills(7));
    QStringList folderOrder;
    for (const QString &e : QDir(p.path(QStringLiteral("user")), QStringLiteral("*.dat"), QDir::NoSort, QDir::Files).entryList())
        folderOrder << e.chopped(4);

    TForm13 *f = open(p);
    QCOMPARE(listed(f->ListBox1), folderOrder);
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
    QCOMPARE(f->Label1->text(), QString());
    // The first opening: the header row above four empty rows.
    QCOMPARE(table(f->StringGrid1), (QStringList{kHeaderCells, kBlank, kBlank, kBlank, kBlank}));

    // A later opening: the row count of the last user shown, every row but the header empty.
    choose(f, QStringLiteral("ごろう"));
    QCOMPARE(f->StringGrid1->RowCount(), 9);
    f->Close();
    addUser(p, QStringLiteral("さくら"), drills(0));
    open(p);
    QCOMPARE(f->ListBox1->count(), 6);
    QCOMPARE(distinct(listed(f->ListBox1)), 6);
    QVERIFY(listed(f->ListBox1).contains(QStringLiteral("さくら")));
    QCOMPARE(table(f->StringGrid1), (QStringList{kHeaderCells} << QStringList(8, kBlank)));
    QCOMPARE(f->Label1->text(), QString());
}

void TestStudentsRecords::choosingShowsHistory()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    addUser(p, QStringLiteral("ごろう"), drills(12));
    TForm13 *f = open(p);

    choose(f, QStringLiteral("たろう"));
    QCOMPARE(f->Label1->text(), QStringLiteral("たろうさんの記録"));
    QCOMPARE(table(f->StringGrid1), drillRows(3));
    QCOMPARE(f->StringGrid1->RowCount(), 5);

    // One drill: the table shrinks from five rows to three.
    choose(f, QStringLiteral("はなこ"));
    QCOMPARE(f->Label1->text(), QStringLiteral("はなこさんの記録"));
    QCOMPARE(table(f->StringGrid1), drillRows(1));

    choose(f, QStringLiteral("ごろう"));
    QCOMPARE(table(f->StringGrid1), drillRows(12));

    // Row 0 is the file's own first line, whatever it holds.
    p.writeFile(QStringLiteral("user/たろう.dat"), cp932Lines({QStringLiteral("名前 ,日"), drill(5)}));
    choose(f, QStringLiteral("たろう"));
    QCOMPARE(table(f->StringGrid1), (QStringList{QStringLiteral("名前|日|||"), drill(5).replace(QLatin1Char(','), QLatin1Char('|')), kBlank}));
    QVERIFY(recorder().boxes.isEmpty());
}

void TestStudentsRecords::zeroByteHistoryBlanksEveryRow()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    p.writeFile(QStringLiteral("user/からっぽ.dat"), QByteArray());
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    choose(f, QStringLiteral("からっぽ"));
    QCOMPARE(f->Label1->text(), QStringLiteral("からっぽさんの記録"));
    QCOMPARE(table(f->StringGrid1), QStringList(5, kBlank)); // the header row too
    QVERIFY(recorder().boxes.isEmpty());
}

void TestStudentsRecords::missingHistory()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(2));
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QFile::remove(p.path(QStringLiteral("user/はなこ.dat")));
    choose(f, QStringLiteral("はなこ"));
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("user/はなこ.dat")), qPrintable(recorder().boxes[0].text));
    // The table stays emptied under the new title.
    QCOMPARE(f->Label1->text(), QStringLiteral("はなこさんの記録"));
    QCOMPARE(table(f->StringGrid1), QStringList(5, kBlank));
    QVERIFY(p.app().isOpen(f));
}

void TestStudentsRecords::arrowKeyChooses()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    TForm13 *f = open(p);
    const QStringList names = listed(f->ListBox1);
    choose(f, names[0]);
    QTest::keyClick(f->ListBox1, Qt::Key_Down);
    QCOMPARE(f->Label1->text(), names[1] + QStringLiteral("さんの記録"));
    QCOMPARE(f->StringGrid1->RowCount(), names[1] == QStringLiteral("たろう") ? 5 : 3);
    QTest::keyClick(f->ListBox1, Qt::Key_Up);
    QCOMPARE(f->Label1->text(), names[0] + QStringLiteral("さんの記録"));
}

void TestStudentsRecords::firstArrowChoosesTheFirstName_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("afterDeletion");
    QTest::newRow("Down at the opening") << int(Qt::Key_Down) << false;
    QTest::newRow("Up at the opening") << int(Qt::Key_Up) << false;
    QTest::newRow("Down after a deletion") << int(Qt::Key_Down) << true;
}

// While no name is chosen none is current either: the first arrow chooses the first name.
void TestStudentsRecords::firstArrowChoosesTheFirstName()
{
    QFETCH(int, key);
    QFETCH(bool, afterDeletion);
    Program p;
    for (const char *name : {"たろう", "はなこ", "じろう", "ごろう"})
        addUser(p, QString::fromUtf8(name), drills(1));
    TForm13 *f = open(p);
    QVERIFY(QTest::qWaitForWindowActive(f));
    if (afterDeletion) {
        choose(f, listed(f->ListBox1).at(2));
        ask(p, [&] { yes(p); });
    }
    QCOMPARE(p.app().activeScreen(), f);
    QVERIFY(QTest::qWaitForWindowActive(f));
    f->ListBox1->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), f->ListBox1, 2000);
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
    QTest::keyClick(f->ListBox1, Qt::Key(key));
    const QString first = listed(f->ListBox1).first();
    QCOMPARE(f->ListBox1->selectedItems().size(), 1);
    QCOMPARE(f->ListBox1->selectedItems().first()->text(), first);
    QCOMPARE(f->Label1->text(), first + QStringLiteral("さんの記録"));
}

void TestStudentsRecords::settingsEditorReturnRefills()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));

    QTest::mouseClick(f->Label4, Qt::LeftButton); // 環境設定
    QVERIFY(p.app().isOpen(p.screens().settingsEditor));
    QCOMPARE(p.app().activeScreen(), p.screens().settingsEditor);
    QVERIFY(!p.app().modalRunning());
    addUser(p, QStringLiteral("さくら"), drills(0)); // registered meanwhile
    // The editor's もどる: it empties the list, then closes.
    f->ListBox1->clear();
    p.screens().settingsEditor->Close();
    QCOMPARE(p.app().activeScreen(), f);
    QCOMPARE(f->ListBox1->count(), 3);
    QCOMPARE(distinct(listed(f->ListBox1)), 3);
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
    // The title and the table keep what they showed.
    QCOMPARE(f->Label1->text(), QStringLiteral("たろうさんの記録"));
    QCOMPARE(table(f->StringGrid1), drillRows(3));

    // Its picture opens the editor too, on a press of any button; an activation without the
    // list emptied still lists each user once.
    QTest::mousePress(f->Image3, Qt::RightButton);
    QVERIFY(p.app().isOpen(p.screens().settingsEditor));
    p.screens().settingsEditor->Close();
    QCOMPARE(f->ListBox1->count(), 3);
}

void TestStudentsRecords::closingLogsOutAndEmpties()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(6));
    p.state().userName = QStringLiteral("たろう");
    p.screens().mainMenu->Show();
    p.screens().mainMenu->setLoggedIn(true);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QCOMPARE(f->StringGrid1->RowCount(), 8);

    QTest::mouseClick(f->Label2, Qt::LeftButton); // もどる
    QVERIFY(!p.app().isOpen(f));
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
    QVERIFY(!p.state().loggedIn);
    for (QWidget *w : {static_cast<QWidget *>(p.screens().mainMenu->Label3), static_cast<QWidget *>(p.screens().mainMenu->Label2),
                       static_cast<QWidget *>(p.screens().mainMenu->Label5)})
        QVERIFY(!w->isEnabled());
    QCOMPARE(f->Label1->text(), QString());
    QCOMPARE(f->ListBox1->count(), 0);
    QCOMPARE(table(f->StringGrid1), QStringList(8, kBlank));

    // Even a visit that did nothing logs out; so does the close box and a press on the picture.
    p.screens().mainMenu->setLoggedIn(true);
    open(p);
    f->close();
    QVERIFY(!p.state().loggedIn);
    p.screens().mainMenu->setLoggedIn(true);
    open(p);
    QTest::mousePress(f->Image1, Qt::MiddleButton);
    QVERIFY(!p.app().isOpen(f));
    QVERIFY(!p.state().loggedIn);
}

void TestStudentsRecords::screenSettingsDoesNothing()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(2));
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    const QList<Screen *> before = p.app().openScreens();
    QTest::mouseClick(f->Label5, Qt::LeftButton);
    QTest::mousePress(f->Image4, Qt::LeftButton);
    QCOMPARE(p.app().openScreens(), before);
    QCOMPARE(p.app().activeScreen(), f);
    QCOMPARE(f->Label1->text(), QStringLiteral("たろうさんの記録"));
    QVERIFY(recorder().boxes.isEmpty());
}

namespace {
// drill(i)'s pace line (its grade, its day moved by `shift`): a number 40 ms late, or none.
QString paceOf(int i, bool late, int shift = 0)
{
    std::array<pace::QuestionPace, pace::kQuestions> q{};
    q[0] = {.intervalMs = 329, .flashes = 4, .worstLateUs = late ? 40000 : 2000};
    return pace::line(QDateTime(QDate(2006, 2, i + shift), QTime(9, 30)), QStringLiteral("%1級").arg(i), q);
}
// The drill rows drawn coloured on the screen; "?" after one without the tooltip.
QStringList colouredRows(const RecordGrid *g)
{
    const QImage shot = g->viewport()->grab().toImage();
    QStringList rows;
    for (int r = 1; r < g->RowCount(); ++r) {
        const QModelIndex cell = g->model()->index(r - 1, 4); // 合否: room right of its text
        if (shot.pixelColor(g->visualRect(cell).right() - 4, g->visualRect(cell).center().y()) != QColor(Qt::white))
            rows << QString::number(r) + (cell.data(Qt::ToolTipRole).isValid() ? "" : "?");
    }
    return rows;
}
} // namespace

// A drill whose pace line says ずれあり is marked, its cells as the file has them, the legend shown;
// anything less than a matching pace line marks nothing.
void TestStudentsRecords::lateDrillsMarked_data()
{
    QTest::addColumn<int>("drills");
    QTest::addColumn<QByteArray>("paceFile");
    QTest::addColumn<QStringList>("marked");
    const QString head = userstore::paceHeader();
    QTest::newRow("a ずれあり drill is marked, older drills without pace lines not")
        << 4 << cp932Lines({head, paceOf(2, true), paceOf(3, false), paceOf(4, true)}) << QStringList{"2", "4"};
    QTest::newRow("ずれなし marks nothing") << 2 << cp932Lines({head, paceOf(1, false), paceOf(2, false)}) << QStringList{};
    QTest::newRow("damaged pace file marks nothing and the history still shows")
        << 3 << (cp932Lines({head, paceOf(3, true).chopped(2)}) + "\xff\xfe\x81,\x00\r\n") << QStringList{};
    QTest::newRow("a pace line of another day marks nothing") << 3 << cp932Lines({head, paceOf(3, true, 1)}) << QStringList{};
}

void TestStudentsRecords::lateDrillsMarked()
{
    QFETCH(int, drills);
    QFETCH(QByteArray, paceFile);
    QFETCH(QStringList, marked);
    Program p;
    addUser(p, QStringLiteral("たろう"), studentsrecords::drills(drills));
    addUser(p, QStringLiteral("はなこ"), studentsrecords::drills(2));
    p.writeFile(userstore::pacePath(QStringLiteral("たろう")), paceFile);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QCOMPARE(table(f->StringGrid1), drillRows(drills));
    QCOMPARE(colouredRows(f->StringGrid1), marked);
    QCOMPARE(f->LateLegend->isVisible(), !marked.isEmpty());
    QVERIFY(f->LateLegend->sizeHint().height() <= f->LateLegend->height()); // no line cut off
    QVERIFY(recorder().boxes.isEmpty());
    // Then a child whose history cannot be read: the emptied table keeps no mark.
    QFile::remove(p.path(QStringLiteral("user/はなこ.dat")));
    choose(f, QStringLiteral("はなこ"));
    QCOMPARE(colouredRows(f->StringGrid1), QStringList{});
    QVERIFY(!f->LateLegend->isVisible());
    QCOMPARE(recorder().boxes.size(), 1);
}

PZ_GUI_TEST_MAIN(TestStudentsRecords)
#include "tst_mastergate.moc"
