// The own records: layout, the table a history gives (row count, cells, the empty last row), the
// row count a zero-byte file keeps, closing and reopening, failures, and もどる.
#include "support/studentsrecords.h"

#include "platform/textfile.h"
#include "records/kiroku.h"
#include "records/recordgrid.h"
#include "shell/main.h"
#include "kit/widgets.h"
#include "users/userstore.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>

using testsupport::cp932Lines;
using testsupport::Program;
using testsupport::recorder;
using studentsrecords::table;

namespace {
const QString kUser = QStringLiteral("はなこ");
const QString kHeaderCells = QStringLiteral("級/段|日付|正解数|不正解数|合否");

QString recordFile() { return QStringLiteral("user/") + kUser + QStringLiteral(".dat"); }

QString drill(int i) { return QStringLiteral("%1級,2005/1/%2,%3,%4,%5").arg(10 - i % 10).arg(i % 28 + 1, 2, 10, QLatin1Char('0')).arg(i % 11).arg(10 - i % 11).arg(i % 11 >= 8 ? QStringLiteral("合格") : QStringLiteral("不合格")); }

QByteArray history(int drills)
{
    QStringList lines{userstore::recordHeader()};
    for (int i = 1; i <= drills; ++i)
        lines << drill(i);
    return cp932Lines(lines);
}

// Logs the child in as the login dialog does and opens the records from the main menu.
TForm8 *openFromMenu(Program &p)
{
    p.state().userName = kUser;
    p.screens().mainMenu->Show();
    p.screens().mainMenu->setLoggedIn(true);
    QTest::mouseClick(p.screens().mainMenu->Label2, Qt::LeftButton);
    return p.screens().ownRecords;
}
} // namespace

class TestOwnRecords : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void window_data();
    void window();
    void windowAndTable();
    void loading_data();
    void loading();
    void zeroBytesKeepsRowCount();
    void closeEmptiesAndReopenShowsTheSame();
    void missingHistory();
    void longHistoryScrolls();
    void backButton();
};

void TestOwnRecords::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    layoutRow("Label1", {16, 8}, {}, QStringLiteral("の記録"), 35, Qt::white, 1);
    layoutRow("Image1", {704, 0}, {81, 65});
    layoutRow("Label2", {711, 20}, {}, QStringLiteral("もどる"), 24, Qt::black, 1);
    layoutRow("StringGrid1", {11, 65}, {776, 516}, QString(), 37, QColor(), 1);
}

void TestOwnRecords::layout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().ownRecords);
}

void TestOwnRecords::window_data()
{
    testsupport::windowColumns();
    testsupport::windowRow("ownRecords", QStringLiteral("きろく"), testsupport::Kind::FullScreen, {}, {"Image1", "Label2"});
}

void TestOwnRecords::window()
{
    Program p;
    testsupport::checkWindow(p.screens());
}

void TestOwnRecords::windowAndTable()
{
    Program p;
    TForm8 *f = p.screens().ownRecords;

    RecordGrid *g = f->StringGrid1;
    QCOMPARE(g->frameShape(), QFrame::NoFrame);
    const int widths[] = {110, 209, 131, 173, 148};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(g->columnWidth(c), widths[c]);
    QCOMPARE(g->horizontalHeader()->height(), 50);
    QCOMPARE(g->verticalHeader()->defaultSectionSize(), 50);
    QVERIFY(!g->verticalHeader()->isVisible());
    QCOMPARE(g->horizontalHeader()->font().pixelSize(), 37);
    QVERIFY(g->horizontalHeader()->font().bold());
    QCOMPARE(g->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(g->palette().color(QPalette::Text), QColor(Qt::black));
    QVERIFY(g->showGrid());
    QCOMPARE(g->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(g->FixedRows(), 1);
    QCOMPARE(g->RowCount(), 2); // before the first loading
}

void TestOwnRecords::loading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");

    const QString blank = QStringLiteral("||||");
    QTest::newRow("no drills: header and one empty row") << history(0) << QStringList{kHeaderCells, blank};
    QTest::newRow("three drills, oldest first, then an empty row")
        << history(3)
        << QStringList{kHeaderCells, QStringLiteral("9級|2005/1/02|1|9|不合格"), QStringLiteral("8級|2005/1/03|2|8|不合格"),
                       QStringLiteral("7級|2005/1/04|3|7|不合格"), blank};
    QTest::newRow("a field holding a blank")
        << cp932Lines({userstore::recordHeader(), QStringLiteral("１０級,2005/1/ 02,8,2,合格")})
        << QStringList{kHeaderCells, QStringLiteral("１０級|2005/1/|02|8|2"), blank};
    QTest::newRow("seven items") << cp932Lines({userstore::recordHeader(), QStringLiteral("a,b,c,d,e,f,g")})
                                 << QStringList{kHeaderCells, QStringLiteral("a|b|c|d|e"), blank};
    QTest::newRow("torn last line without CR LF, NUL bytes")
        << history(1) + textfile::encode(QStringLiteral("５級,2005/2/01,")) + QByteArray(6, '\0')
        << QStringList{kHeaderCells, QStringLiteral("9級|2005/1/02|1|9|不合格"), QStringLiteral("５級|2005/2/01|||"), blank};
    QTest::newRow("bytes that are not cp932")
        << history(0) + QByteArray("\x82\x50\x82\x4f\x8b\x89,\xff\xfe,8,2,\x8d\x87\x8a") + "\r\n"
        << QStringList{kHeaderCells, QStringLiteral("１０級|\uFFFD\uFFFD|8|2|合\uFFFD"), blank}; // each keeps its column
    QTest::newRow("LF line ends") << QByteArray("a,b\nc,d\n") << QStringList{QStringLiteral("a|b|||"), QStringLiteral("c|d|||"), blank};
    QTest::newRow("a file whose first line is not the header: row 0 shows it")
        << cp932Lines({QStringLiteral("１級,2005/3/03,10,0,合格")}) << QStringList{QStringLiteral("１級|2005/3/03|10|0|合格"), blank};
}

void TestOwnRecords::loading()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    Program p;
    p.writeFile(recordFile(), file);
    TForm8 *f = openFromMenu(p);
    QVERIFY(p.app().isOpen(f));
    QCOMPARE(p.app().activeScreen(), f);
    QVERIFY(recorder().boxes.isEmpty());
    QCOMPARE(f->Label1->text(), QStringLiteral("はなこさんの記録"));
    QCOMPARE(table(f->StringGrid1), rows);
    QCOMPARE(f->StringGrid1->RowCount(), rows.size());
    QCOMPARE(f->StringGrid1->FixedRows(), 1);
    // What the view shows: row 0 as its header, the rest as its rows.
    QCOMPARE(f->StringGrid1->model()->rowCount(), rows.size() - 1);
    QCOMPARE(f->StringGrid1->model()->headerData(0, Qt::Horizontal).toString(), rows[0].section(QLatin1Char('|'), 0, 0));
}

void TestOwnRecords::zeroBytesKeepsRowCount()
{
    Program p;
    p.writeFile(recordFile(), QByteArray());
    TForm8 *f = openFromMenu(p);
    QVERIFY(recorder().boxes.isEmpty());
    QCOMPARE(table(f->StringGrid1), (QStringList{kHeaderCells, QStringLiteral("||||")}));

    // After a longer history, a zero-byte file shows the header above the rows there were.
    p.writeFile(recordFile(), history(3));
    f->Close();
    f->Show();
    QCOMPARE(f->StringGrid1->RowCount(), 5);
    p.writeFile(recordFile(), QByteArray());
    f->Close();
    f->Show();
    QCOMPARE(table(f->StringGrid1), (QStringList{kHeaderCells, QStringLiteral("||||"), QStringLiteral("||||"), QStringLiteral("||||"), QStringLiteral("||||")}));
}

void TestOwnRecords::closeEmptiesAndReopenShowsTheSame()
{
    Program p;
    p.writeFile(recordFile(), history(4));
    TForm8 *f = openFromMenu(p);
    const QStringList first = table(f->StringGrid1);
    QCOMPARE(first.size(), 6);

    f->close(); // the window's own close, as a window manager would send it
    QVERIFY(!p.app().isOpen(f));
    QCOMPARE(f->StringGrid1->RowCount(), 6);
    for (const QString &r : table(f->StringGrid1))
        QCOMPARE(r, QStringLiteral("||||"));

    QTest::mouseClick(p.screens().mainMenu->Label2, Qt::LeftButton);
    QCOMPARE(table(f->StringGrid1), first);

    // A drill finished in between shows up at the next opening: nothing is cached.
    f->Close();
    p.writeFile(recordFile(), history(5));
    f->Show();
    QCOMPARE(f->StringGrid1->RowCount(), 7);
    QCOMPARE(f->StringGrid1->Cells(0, 5), QStringLiteral("5級"));
}

void TestOwnRecords::missingHistory()
{
    Program p;
    p.writeFile(recordFile(), history(3));
    TForm8 *f = openFromMenu(p);
    f->Close();
    QFile::remove(testsupport::inRoom(recordFile()));

    f->Show();
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY2(recorder().boxes[0].text.contains(recordFile()), qPrintable(recorder().boxes[0].text));
    // The screen is up with its title and header row, the rows emptied by the last close.
    QVERIFY(p.app().isOpen(f));
    QCOMPARE(f->Label1->text(), QStringLiteral("はなこさんの記録"));
    QCOMPARE(table(f->StringGrid1).first(), kHeaderCells);
    QCOMPARE(f->StringGrid1->RowCount(), 5);
    QCOMPARE(f->StringGrid1->Cells(0, 1), QString());
    QTest::mouseClick(f->Label2, Qt::LeftButton);
    QVERIFY(!p.app().isOpen(f));
}

void TestOwnRecords::longHistoryScrolls()
{
    Program p;
    p.writeFile(recordFile(), history(8));
    TForm8 *f = openFromMenu(p);
    QVERIFY(QTest::qWaitForWindowExposed(f));
    // Nine rows of 50 px under the header fit in 516 px.
    QVERIFY(!f->StringGrid1->verticalScrollBar()->isVisible());
    f->Close();

    p.writeFile(recordFile(), history(40));
    f->Show();
    QCOMPARE(f->StringGrid1->RowCount(), 42);
    QTRY_VERIFY_WITH_TIMEOUT(f->StringGrid1->verticalScrollBar()->isVisible(), 2000);
    QVERIFY(f->StringGrid1->verticalScrollBar()->maximum() > 0);
    RecordGrid *g = f->StringGrid1;
    g->scrollToBottom();
    // The last drill and the empty row under it are in view; the first drill is not.
    const QRect view = g->viewport()->rect();
    QVERIFY(view.contains(g->visualRect(g->model()->index(39, 0))));
    QVERIFY(view.intersects(g->visualRect(g->model()->index(40, 0))));
    QVERIFY(!view.intersects(g->visualRect(g->model()->index(0, 0))));
    QCOMPARE(g->model()->index(39, 0).data().toString(), drill(40).section(QLatin1Char(','), 0, 0));
    QCOMPARE(f->StringGrid1->horizontalHeader()->isVisible(), true); // the header row stays

    // The next opening starts again from the top.
    f->Close();
    f->Show();
    QCOMPARE(f->StringGrid1->verticalScrollBar()->value(), 0);
}

void TestOwnRecords::backButton()
{
    Program p;
    p.writeFile(recordFile(), history(2));
    TForm8 *f = openFromMenu(p);
    QVERIFY(QTest::qWaitForWindowExposed(f));
    QTest::mouseClick(f->Label2, Qt::LeftButton);
    QVERIFY(!p.app().isOpen(f));
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
    QCOMPARE(f->StringGrid1->Cells(0, 1), QString());

    // The picture acts as soon as any button goes down on it.
    QTest::mouseClick(p.screens().mainMenu->Label2, Qt::LeftButton);
    QVERIFY(p.app().isOpen(f));
    QTest::mousePress(f->Image1, Qt::RightButton);
    QVERIFY(!p.app().isOpen(f));
    QVERIFY(p.state().loggedIn); // looking at the records does not log out
}

PZ_GUI_TEST_MAIN(TestOwnRecords)
#include "tst_kiroku.moc"
