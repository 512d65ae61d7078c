// The teacher's yes/no before a deletion (from the students' records): its layout and window, はい
// deleting the chosen user, いいえ and the close box changing nothing, the logged-in user deleted,
// and files that cannot be deleted.
#include "support/studentsrecords.h"

#include "users/usrselect.h"

#include <QDir>

using testsupport::Program;
using testsupport::recorder;
using namespace studentsrecords;

namespace {
// たろう (beside はなこ) chosen on the teacher's screen, with a folder in place of one of their files:
// no one, root included, can unlink it. Null when the folder could not be put there.
TForm13 *withUndeletable(Program &p, const char *ext)
{
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    const QString file = testsupport::inRoom(QStringLiteral("user/たろう") + QLatin1String(ext));
    return QFile::remove(file) && QDir().mkpath(file + QStringLiteral("/inside")) ? f : nullptr;
}
} // namespace

class TestDeletionConfirm : public QObject {
    Q_OBJECT
private slots:
    void window_data();
    void window();
    void questionLayout_data();
    void questionLayout();
    void questionWindow();
    void deleteWithoutChosenName();
    void yesDeletesChosenUser();
    void longNameStaysInTheQuestion();
    void noAndCloseBoxChangeNothing_data();
    void noAndCloseBoxChangeNothing();
    void deletedLoggedInUserLoggedOutOnClose();
    void historyThatCannotBeDeleted();
    void passwordFileThatCannotBeDeleted();
};

void TestDeletionConfirm::window_data()
{
    testsupport::windowColumns();
    testsupport::windowRow("deletionConfirm", QStringLiteral("確認"), testsupport::Kind::Dialog, {},
                           {"Label1", "Image1", "Label2", "Image2"});
}

void TestDeletionConfirm::window()
{
    Program p;
    testsupport::checkWindow(p.screens());
}

void TestDeletionConfirm::questionLayout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    layoutRow("Label3", {8, 16}, {}, QStringLiteral("削除してもよろしいですか？"), 32, Qt::white, 1);
    // Below the two lines of a question that names the child.
    layoutRow("Image1", {16, 120}, {153, 49});
    layoutRow("Label1", {56, 128}, {}, QStringLiteral("はい"), 35, Qt::black, 1);
    layoutRow("Image2", {248, 120}, {153, 49});
    layoutRow("Label2", {272, 128}, {}, QStringLiteral("いいえ"), 35, Qt::black, 1);
}

void TestDeletionConfirm::questionLayout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().deletionConfirm);
}

void TestDeletionConfirm::questionWindow()
{
    Program p;
    TForm15 *q = p.screens().deletionConfirm;
    QVERIFY(!(q->windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
    TForm13 *f = open(p);
    ask(p, [&] {
        // Without a window manager there is no frame: the outer size is the window's.
        QCOMPARE(q->frameGeometry(), QRect(175, 177, 433, 230));
        no(p);
    });
    QCOMPARE(p.app().activeScreen(), f);
}

void TestDeletionConfirm::deleteWithoutChosenName()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(2));
    TForm13 *f = open(p);
    ask(p, [&] { yes(p); });
    QVERIFY(!p.screens().deletionConfirm->isVisible());
    QVERIFY(exists(QStringLiteral("たろう"), ".dat"));
    QVERIFY(exists(QStringLiteral("たろう"), ".psw"));
    QCOMPARE(listed(f->ListBox1), QStringList{QStringLiteral("たろう")});
    QVERIFY(recorder().boxes.isEmpty());
}

void TestDeletionConfirm::yesDeletesChosenUser()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    addUser(p, QStringLiteral("ごろう"), drills(2));
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QStringList others = listed(f->ListBox1);
    others.removeAll(QStringLiteral("たろう"));

    QString question;
    QRect questionInk;
    bool secondLineDrawn = false;
    ask(p, [&] {
        TForm15 *q = p.screens().deletionConfirm;
        question = q->Label3->text();
        questionInk = QRect(q->Label3->pos(), q->Label3->sizeHint());
        // Both lines drawn: white ink in the band of the second line (above the buttons at y 120).
        const QImage shot = q->grab().toImage();
        for (int y = 70; y < 118 && !secondLineDrawn; ++y)
            for (int x = 8; x < 425 && !secondLineDrawn; ++x)
                secondLineDrawn = QColor(shot.pixel(x, y)).lightness() > 200;
        addUser(p, QStringLiteral("さくら"), drills(0)); // the list is read again after the deletion
        others << QStringLiteral("さくら");
        yes(p);
    });
    QCOMPARE(question, QStringLiteral("たろう を\n削除してもよろしいですか？"));
    QVERIFY2(QRect(0, 0, 433, 120).contains(questionInk), "the question runs into the buttons or out of the window");
    QVERIFY(secondLineDrawn);
    QVERIFY(!p.screens().deletionConfirm->isVisible());
    QCOMPARE(p.app().activeScreen(), f);
    QVERIFY(!exists(QStringLiteral("たろう"), ".dat"));
    QVERIFY(!exists(QStringLiteral("たろう"), ".psw"));
    QVERIFY(exists(QStringLiteral("はなこ"), ".dat"));
    const auto sorted = [](QStringList l) { l.sort(); return l; };
    QCOMPARE(sorted(listed(f->ListBox1)), sorted(others));
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
    QCOMPARE(f->Label1->text(), QString());
    // The deleted child's rows went with them: the header over four empty rows.
    QCOMPARE(table(f->StringGrid1), QStringList{kHeaderCells} + QStringList(4, kBlank));
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Deleted);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("検定用ぴかざん"));
    QCOMPARE(recorder().boxes[0].text, QStringLiteral("削除しました"));
    QCOMPARE(recorder().count(sound::Cue::Information), 1);

    // With the title empty, 削除 and はい again (on its picture) delete nothing more.
    ask(p, [&] {
        question = p.screens().deletionConfirm->Label3->text();
        QTest::mousePress(p.screens().deletionConfirm->Image1, Qt::RightButton);
    });
    QCOMPARE(question, QStringLiteral("削除してもよろしいですか？"));
    QCOMPARE(sorted(listed(f->ListBox1)), sorted(others));
    QVERIFY(exists(QStringLiteral("はなこ"), ".dat") && exists(QStringLiteral("ごろう"), ".dat"));
}

void TestDeletionConfirm::longNameStaysInTheQuestion()
{
    Program p;
    const QString name = QStringLiteral("じゅげむ").repeated(7) + QStringLiteral("ごこ");
    addUser(p, name, drills(1));
    TForm13 *f = open(p);
    choose(f, name);
    QString question;
    QRect box;
    ask(p, [&] {
        QLabel *l = p.screens().deletionConfirm->Label3;
        question = l->text();
        box = QRect(l->pos(), l->sizeHint());
        no(p);
    });
    QVERIFY2(question.startsWith(QStringLiteral("じゅげむ")), qPrintable(question));
    QVERIFY2(question.endsWith(QStringLiteral("… を\n削除してもよろしいですか？")), qPrintable(question));
    QVERIFY2(QRect(0, 0, 433, 120).contains(box), qPrintable(QStringLiteral("%1 %2 %3 %4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
    QVERIFY(exists(name, ".dat"));
}

void TestDeletionConfirm::noAndCloseBoxChangeNothing_data()
{
    QTest::addColumn<int>("how"); // 0 いいえ, 1 its picture, 2 the close box
    QTest::newRow("いいえ") << 0;
    QTest::newRow("いいえ's picture, right button") << 1;
    QTest::newRow("close box") << 2;
}

void TestDeletionConfirm::noAndCloseBoxChangeNothing()
{
    QFETCH(int, how);
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    const QStringList before = listed(f->ListBox1);

    ask(p, [&] {
        addUser(p, QStringLiteral("さくら"), drills(0)); // would show up if the list were refilled
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

void TestDeletionConfirm::deletedLoggedInUserLoggedOutOnClose()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(1));
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

void TestDeletionConfirm::historyThatCannotBeDeleted()
{
    Program p;
    TForm13 *f = withUndeletable(p, ".dat");
    QVERIFY(f);
    const QStringList before = listed(f->ListBox1);

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

void TestDeletionConfirm::passwordFileThatCannotBeDeleted()
{
    Program p;
    TForm13 *f = withUndeletable(p, ".psw");
    QVERIFY(f);

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

PZ_GUI_TEST_MAIN(TestDeletionConfirm)
#include "tst_deleteconfirm.moc"
