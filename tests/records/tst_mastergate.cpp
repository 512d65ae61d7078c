// The students' records and the teacher's deletion: layout, the list filled at each opening and
// after the settings editor but not after the question, choosing a name, the table's row counts,
// closing (which logs out), and the yes/no question with its failures.
#include "support/testmain.h"

#include "platform/textfile.h"
#include "records/mastergate.h"
#include "records/recordgrid.h"
#include "settings/settei.h"
#include "shell/main.h"
#include "shell/widgets.h"
#include "users/delkakunin.h"
#include "users/userstore.h"
#include "users/usrselect.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

using testsupport::cp932Lines;
using testsupport::Program;
using testsupport::recorder;

namespace {
const QString kHeaderCells = QStringLiteral("級/段|日付|正解数|不正解数|合否");
const QString kBlank = QStringLiteral("||||");

QString drill(int i) { return QStringLiteral("%1級,2006/2/%2,%3,%4,合格").arg(i).arg(i, 2, 10, QLatin1Char('0')).arg(8 + i % 3).arg(2 - i % 3); }

void addUser(Program &p, const QString &name, int drills)
{
    QStringList lines{userstore::recordHeader()};
    for (int i = 1; i <= drills; ++i)
        lines << drill(i);
    p.writeFile(QStringLiteral("user/") + name + QStringLiteral(".dat"), cp932Lines(lines));
    p.writeFile(QStringLiteral("user/") + name + QStringLiteral(".psw"), cp932Lines({QStringLiteral("pw")}));
}

bool exists(const QString &name, const char *ext) { return QFileInfo::exists(QStringLiteral("user/") + name + QString::fromLatin1(ext)); }

QStringList listed(const QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

int distinct(const QStringList &names) { return int(QSet<QString>(names.begin(), names.end()).size()); }

QStringList table(const RecordGrid *g)
{
    QStringList rows;
    for (int r = 0; r < g->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << g->Cells(c, r);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList drillRows(int drills)
{
    QStringList rows{kHeaderCells};
    for (int i = 1; i <= drills; ++i)
        rows << drill(i).replace(QLatin1Char(','), QLatin1Char('|'));
    return rows << kBlank;
}

void choose(TForm13 *f, const QString &name)
{
    const QList<QListWidgetItem *> items = f->ListBox1->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    f->ListBox1->scrollToItem(items.first());
    QTest::mouseClick(f->ListBox1->viewport(), Qt::LeftButton, {}, f->ListBox1->visualItemRect(items.first()).center());
}

// Presses 削除 and runs `answer` while the question is up (its own modal loop); a question still
// up after five seconds is closed, so that a fault cannot hang the test.
void ask(Program &p, const std::function<void()> &answer)
{
    QObject scope;
    bool asked = false;
    QTimer::singleShot(0, &scope, [&] {
        asked = true;
        QVERIFY(p.screens().deletionConfirm->isVisible());
        QVERIFY(p.app().modalRunning());
        answer();
    });
    QTimer::singleShot(5000, &scope, [&] {
        if (p.screens().deletionConfirm->isVisible())
            p.screens().deletionConfirm->Close();
    });
    QTest::mouseClick(p.screens().studentsRecords->Label3, Qt::LeftButton);
    QVERIFY(asked);
}

void yes(Program &p) { QTest::mouseClick(p.screens().deletionConfirm->Label1, Qt::LeftButton); }
void no(Program &p) { QTest::mouseClick(p.screens().deletionConfirm->Label2, Qt::LeftButton); }

// The teacher's screen as the master password entry opens it.
TForm13 *open(Program &p)
{
    p.screens().mainMenu->Show();
    p.screens().studentsRecords->Show();
    return p.screens().studentsRecords;
}
} // namespace

class TestStudentsRecords : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
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
    void questionLayout_data();
    void questionLayout();
    void questionWindow();
    void deleteWithoutChosenName();
    void yesDeletesChosenUser();
    void noAndCloseBoxChangeNothing_data();
    void noAndCloseBoxChangeNothing();
    void deletedLoggedInUserLoggedOutOnClose();
    void historyThatCannotBeDeleted();
    void passwordFileThatCannotBeDeleted();
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
    layoutRow("ListBox1", {8, 80}, {177, 465}, QString(), 16, QColor(), 1);
    layoutRow("StringGrid1", {192, 80}, {608, 465}, QString(), 29, QColor(), 1);
}

void TestStudentsRecords::layout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().studentsRecords);
}

void TestStudentsRecords::windowListAndTable()
{
    Program p;
    TForm13 *f = p.screens().studentsRecords;
    QCOMPARE(f->windowTitle(), QStringLiteral("生徒の記録"));
    QVERIFY(f->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(f->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(f->geometry(), QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->size()));
    QCOMPARE(f->palette().color(QPalette::Window), QColor(0, 0, 160));
    for (QWidget *w : std::initializer_list<QWidget *>{f->Label5, f->Image4, f->Label4, f->Image3, f->Label3, f->Image2, f->Label2, f->Image1})
        QCOMPARE(w->cursor().shape(), Qt::PointingHandCursor);

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
        addUser(p, QStringLiteral("user%1").arg(i), 0);
    open(p);
    QCOMPARE(list->count(), 40);
    QCOMPARE(list->visualItemRect(list->item(3)).height(), 16);
    QCOMPARE(list->visualItemRect(list->item(3)).top() - list->visualItemRect(list->item(2)).top(), 16);
}

void TestStudentsRecords::openingListsEachUserOnce()
{
    Program p;
    for (const QString &n : {QStringLiteral("たろう"), QStringLiteral("はなこ"), QStringLiteral("Aki"), QStringLiteral("一郎")})
        addUser(p, n, 1);
    addUser(p, QStringLiteral("ごろう"), 7);
    QStringList folderOrder;
    for (const QString &e : QDir(QStringLiteral("user"), QStringLiteral("*.dat"), QDir::NoSort, QDir::Files).entryList())
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
    addUser(p, QStringLiteral("さくら"), 0);
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
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 1);
    addUser(p, QStringLiteral("ごろう"), 12);
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
    addUser(p, QStringLiteral("たろう"), 3);
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
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 2);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QFile::remove(QStringLiteral("user/はなこ.dat"));
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
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 1);
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
        addUser(p, QString::fromUtf8(name), 1);
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
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 1);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));

    QTest::mouseClick(f->Label4, Qt::LeftButton); // 環境設定
    QVERIFY(p.app().isOpen(p.screens().settingsEditor));
    QCOMPARE(p.app().activeScreen(), p.screens().settingsEditor);
    QVERIFY(!p.app().modalRunning());
    addUser(p, QStringLiteral("さくら"), 0); // registered meanwhile
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
    addUser(p, QStringLiteral("たろう"), 6);
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
    addUser(p, QStringLiteral("たろう"), 2);
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

void TestStudentsRecords::questionLayout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    layoutRow("Label3", {8, 16}, {}, QStringLiteral("削除してもよろしいですか？"), 32, Qt::white, 1);
    layoutRow("Image1", {16, 72}, {153, 49});
    layoutRow("Label1", {56, 80}, {}, QStringLiteral("はい"), 35, Qt::black, 1);
    layoutRow("Image2", {248, 72}, {153, 49});
    layoutRow("Label2", {272, 80}, {}, QStringLiteral("いいえ"), 35, Qt::black, 1);
}

void TestStudentsRecords::questionLayout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().deletionConfirm);
}

void TestStudentsRecords::questionWindow()
{
    Program p;
    TForm15 *q = p.screens().deletionConfirm;
    QCOMPARE(q->windowTitle(), QStringLiteral("確認"));
    QVERIFY(q->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(q->windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
    QCOMPARE(q->palette().color(QPalette::Window), QColor(0, 0, 160));
    for (QWidget *w : std::initializer_list<QWidget *>{q->Label1, q->Image1, q->Label2, q->Image2})
        QCOMPARE(w->cursor().shape(), Qt::PointingHandCursor);
    TForm13 *f = open(p);
    ask(p, [&] {
        // Without a window manager there is no frame: the outer size is the window's.
        QCOMPARE(q->frameGeometry(), QRect(175, 177, 433, 182));
        no(p);
    });
    QCOMPARE(p.app().activeScreen(), f);
}

void TestStudentsRecords::deleteWithoutChosenName()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), 2);
    TForm13 *f = open(p);
    ask(p, [&] { yes(p); });
    QVERIFY(!p.screens().deletionConfirm->isVisible());
    QVERIFY(exists(QStringLiteral("たろう"), ".dat"));
    QVERIFY(exists(QStringLiteral("たろう"), ".psw"));
    QCOMPARE(listed(f->ListBox1), QStringList{QStringLiteral("たろう")});
    QVERIFY(recorder().boxes.isEmpty());
}

void TestStudentsRecords::yesDeletesChosenUser()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 1);
    addUser(p, QStringLiteral("ごろう"), 2);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QStringList others = listed(f->ListBox1);
    others.removeAll(QStringLiteral("たろう"));

    ask(p, [&] { yes(p); });
    QVERIFY(!p.screens().deletionConfirm->isVisible());
    QCOMPARE(p.app().activeScreen(), f);
    QVERIFY(!exists(QStringLiteral("たろう"), ".dat"));
    QVERIFY(!exists(QStringLiteral("たろう"), ".psw"));
    QVERIFY(exists(QStringLiteral("はなこ"), ".dat"));
    QCOMPARE(listed(f->ListBox1), others);
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
    QCOMPARE(f->Label1->text(), QString());
    QCOMPARE(table(f->StringGrid1), drillRows(3)); // the deleted user's rows stay
    QVERIFY(recorder().boxes.isEmpty());

    // With the title empty, 削除 and はい again (on its picture) delete nothing more.
    ask(p, [&] { QTest::mousePress(p.screens().deletionConfirm->Image1, Qt::RightButton); });
    QCOMPARE(listed(f->ListBox1), others);
    QVERIFY(exists(QStringLiteral("はなこ"), ".dat") && exists(QStringLiteral("ごろう"), ".dat"));
}

void TestStudentsRecords::noAndCloseBoxChangeNothing_data()
{
    QTest::addColumn<int>("how"); // 0 いいえ, 1 its picture, 2 the close box
    QTest::newRow("いいえ") << 0;
    QTest::newRow("いいえ's picture, right button") << 1;
    QTest::newRow("close box") << 2;
}

void TestStudentsRecords::noAndCloseBoxChangeNothing()
{
    QFETCH(int, how);
    Program p;
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 1);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    const QStringList before = listed(f->ListBox1);

    ask(p, [&] {
        addUser(p, QStringLiteral("さくら"), 0); // would show up if the list were refilled
        if (how == 0)
            no(p);
        else if (how == 1)
            QTest::mousePress(p.screens().deletionConfirm->Image2, Qt::RightButton);
        else
            p.screens().deletionConfirm->close();
    });
    QVERIFY(!p.screens().deletionConfirm->isVisible());
    QCOMPARE(p.app().activeScreen(), f);
    QVERIFY(exists(QStringLiteral("たろう"), ".dat"));
    QVERIFY(exists(QStringLiteral("たろう"), ".psw"));
    QCOMPARE(listed(f->ListBox1), before);
    QCOMPARE(f->ListBox1->selectedItems().size(), 1);
    QCOMPARE(f->ListBox1->selectedItems().first()->text(), QStringLiteral("たろう"));
    QCOMPARE(f->Label1->text(), QStringLiteral("たろうさんの記録"));
    QCOMPARE(table(f->StringGrid1), drillRows(3));
}

void TestStudentsRecords::deletedLoggedInUserLoggedOutOnClose()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 1);
    p.state().userName = QStringLiteral("たろう");
    p.screens().mainMenu->Show();
    p.screens().mainMenu->setLoggedIn(true);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    ask(p, [&] { yes(p); });
    QVERIFY(!exists(QStringLiteral("たろう"), ".dat"));
    QVERIFY(p.state().loggedIn); // not touched by the deletion itself
    QTest::mouseClick(f->Label2, Qt::LeftButton);
    QVERIFY(!p.state().loggedIn);
    QVERIFY(!p.screens().mainMenu->Label3->isEnabled());

    // The next login does not offer the name.
    p.screens().login->Show();
    QCOMPARE(p.screens().login->ListBox1->count(), 1);
    QCOMPARE(p.screens().login->ListBox1->item(0)->text(), QStringLiteral("はなこ"));
}

void TestStudentsRecords::historyThatCannotBeDeleted()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 1);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    const QStringList before = listed(f->ListBox1);
    // A folder in the history file's place: no one, root included, can unlink it.
    QVERIFY(QFile::remove(QStringLiteral("user/たろう.dat")));
    QVERIFY(QDir().mkpath(QStringLiteral("user/たろう.dat/inside")));

    ask(p, [&] {
        yes(p);
        // Stopped at the failing step: the question stays for いいえ.
        QVERIFY(p.screens().deletionConfirm->isVisible());
        no(p);
    });
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("user/たろう.dat")), qPrintable(recorder().boxes[0].text));
    QVERIFY(exists(QStringLiteral("たろう"), ".psw"));
    QCOMPARE(listed(f->ListBox1), before);
    QCOMPARE(f->Label1->text(), QStringLiteral("たろうさんの記録"));
}

void TestStudentsRecords::passwordFileThatCannotBeDeleted()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), 3);
    addUser(p, QStringLiteral("はなこ"), 1);
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QVERIFY(QFile::remove(QStringLiteral("user/たろう.psw")));
    QVERIFY(QDir().mkpath(QStringLiteral("user/たろう.psw/inside")));

    bool questionGoneFirst = false;
    dialogs::setHook([&](const dialogs::Shown &s) {
        questionGoneFirst = !p.screens().deletionConfirm->isVisible();
        recorder().boxes.append(s);
        return true;
    });
    ask(p, [&] { yes(p); });
    testsupport::install();
    // The user is gone from the folder and the list; the box says which file is left.
    QVERIFY(!exists(QStringLiteral("たろう"), ".dat"));
    QCOMPARE(listed(f->ListBox1), QStringList{QStringLiteral("はなこ")});
    QCOMPARE(f->Label1->text(), QString());
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("user/たろう.psw")), qPrintable(recorder().boxes[0].text));
    QVERIFY(questionGoneFirst);
}

PZ_GUI_TEST_MAIN(TestStudentsRecords)
#include "tst_mastergate.moc"
