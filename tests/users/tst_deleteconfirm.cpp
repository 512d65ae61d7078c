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
    void evenlySpaced_data();
    void evenlySpaced();
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
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("x");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("px");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("Label3") << "Label3" << 8 << QSize() << QStringLiteral("削除してもよろしいですか？") << 32 << QColor(Qt::white);
    QTest::newRow("Image1") << "Image1" << 16 << QSize(153, 49) << QString() << 0 << QColor();
    QTest::newRow("Label1") << "Label1" << 56 << QSize() << QStringLiteral("はい") << 35 << QColor(Qt::black);
    QTest::newRow("Image2") << "Image2" << 248 << QSize(153, 49) << QString() << 0 << QColor();
    QTest::newRow("Label2") << "Label2" << 272 << QSize() << QStringLiteral("いいえ") << 35 << QColor(Qt::black);
}

// Across, the controls stay where they were designed; down, they follow the window's height (below).
void TestDeletionConfirm::questionLayout()
{
    QFETCH(QString, control);
    QFETCH(int, x);
    QFETCH(QSize, size);
    QFETCH(QString, text);
    QFETCH(int, px);
    QFETCH(QColor, colour);
    Program p;
    TForm15 *q = p.screens().deletionConfirm;
    auto *w = q->findChild<QWidget *>(control);
    QVERIFY(w);
    QCOMPARE(w->x(), x);
    if (size.isValid())
        QCOMPARE(w->size(), size);
    if (!text.isNull()) {
        QCOMPARE(w->property("text").toString(), text);
        QCOMPARE(w->font().pixelSize(), px);
        QVERIFY(w->font().bold());
        QCOMPARE(w->palette().color(QPalette::Active, w->foregroundRole()), colour);
    }
    // Each caption lies on its picture as designed, the two buttons on one line.
    QCOMPARE(q->Label1->pos() - q->Image1->pos(), QPoint(40, 8));
    QCOMPARE(q->Label2->pos() - q->Image2->pos(), QPoint(24, 8));
    QCOMPARE(q->Image1->y(), q->Image2->y());
}

void TestDeletionConfirm::evenlySpaced_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("unnamed, no frame") << QString() << QSize(433, 230);
    QTest::newRow("named, no frame") << QStringLiteral("たろう") << QSize(433, 230);
    QTest::newRow("named, under a title bar") << QStringLiteral("たろう") << QSize(431, 205);
    QTest::newRow("named, made larger") << QStringLiteral("たろう") << QSize(520, 320);
    QTest::newRow("unnamed, made lower") << QString() << QSize(433, 150);
}

// What the teacher sees, read from the painted window: the question's ink, then the buttons' white
// faces, with about the same dark blue above the question, between them and below the buttons
// (within a few pixels: the glyphs sit inside their lines).
void TestDeletionConfirm::evenlySpaced()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    Program p;
    if (!name.isEmpty())
        addUser(p, name, drills(1));
    TForm13 *f = open(p);
    if (!name.isEmpty())
        choose(f, name);
    int top = -1, textEnd = -1, buttonsAt = -1, buttonsEnd = -1, height = 0;
    ask(p, [&] {
        TForm15 *q = p.screens().deletionConfirm;
        q->resize(size);
        QCoreApplication::processEvents();
        height = q->height();
        const QImage shot = q->grab().toImage();
        const int buttonsTop = q->Image1->y();
        for (int y = 0; y < shot.height(); ++y) {
            bool ink = false;
            for (int x = 0; x < shot.width() && !ink; ++x)
                ink = QColor(shot.pixel(x, y)).lightness() > 200;
            if (!ink)
                continue;
            if (y < buttonsTop) {
                if (top < 0)
                    top = y;
                textEnd = y;
            } else {
                if (buttonsAt < 0)
                    buttonsAt = y;
                buttonsEnd = y;
            }
        }
        no(p);
    });
    QCOMPARE(height, size.height());
    QVERIFY2(top >= 0 && textEnd > top + 20, "no question painted above the buttons");
    QVERIFY2(buttonsAt >= 0 && buttonsEnd > buttonsAt + 30, "no buttons painted");
    const int above = top, between = buttonsAt - textEnd - 1, below = height - 1 - buttonsEnd;
    const QString gaps = QStringLiteral("above %1, between %2, below %3").arg(above).arg(between).arg(below);
    QVERIFY2(between > 0 && below > 0, qPrintable(gaps));
    QVERIFY2(qMax(above, qMax(between, below)) - qMin(above, qMin(between, below)) <= 8, qPrintable(gaps));
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
    // たろう (82 BD 82 EB 82 A4) in 1組, はなこ (82 CD 82 C8 82 B1) in 2組.
    p.writeFile(QStringLiteral("user/kumi.txt"), "pikazan-kumi 1\r\n\x82\xbd\x82\xeb\x82\xa4\t1\x91\x67\r\n\x82\xcd\x82\xc8\x82\xb1\t2\x91\x67\r\n");
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QStringList others = listed(f->ListBox1);
    others.removeAll(QStringLiteral("たろう"));

    QString question;
    QRect questionInk;
    int buttonsTop = 0;
    bool secondLineDrawn = false;
    ask(p, [&] {
        TForm15 *q = p.screens().deletionConfirm;
        question = q->Label3->text();
        questionInk = QRect(q->Label3->pos(), q->Label3->sizeHint());
        buttonsTop = q->Image1->y();
        // Both lines drawn: white ink in the lower half of the question.
        const QImage shot = q->grab().toImage();
        for (int y = q->Label3->y() + q->Label3->height() / 2; y < buttonsTop && !secondLineDrawn; ++y)
            for (int x = 8; x < 425 && !secondLineDrawn; ++x)
                secondLineDrawn = QColor(shot.pixel(x, y)).lightness() > 200;
        addUser(p, QStringLiteral("さくら"), drills(0)); // the list is read again after the deletion
        others << QStringLiteral("さくら");
        yes(p);
    });
    QCOMPARE(question, QStringLiteral("たろう を\n削除してもよろしいですか？"));
    QVERIFY2(QRect(0, 0, 433, buttonsTop).contains(questionInk), "the question runs into the buttons or out of the window");
    QVERIFY(secondLineDrawn);
    QVERIFY(!p.screens().deletionConfirm->isVisible());
    QCOMPARE(p.app().activeScreen(), f);
    QVERIFY(!exists(QStringLiteral("たろう"), ".dat"));
    QVERIFY(!exists(QStringLiteral("たろう"), ".psw"));
    QVERIFY(exists(QStringLiteral("はなこ"), ".dat"));
    // たろう's 組 went too: a child registered later under the name starts in none.
    QCOMPARE(p.readFile(QStringLiteral("user/kumi.txt")), QByteArray("pikazan-kumi 1\r\n\x82\xcd\x82\xc8\x82\xb1\t2\x91\x67\r\n"));
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
    int buttonsTop = 0;
    ask(p, [&] {
        QLabel *l = p.screens().deletionConfirm->Label3;
        buttonsTop = p.screens().deletionConfirm->Image1->y();
        question = l->text();
        box = QRect(l->pos(), l->sizeHint());
        no(p);
    });
    QVERIFY2(question.startsWith(QStringLiteral("じゅげむ")), qPrintable(question));
    QVERIFY2(question.endsWith(QStringLiteral("… を\n削除してもよろしいですか？")), qPrintable(question));
    QVERIFY2(QRect(0, 0, 433, buttonsTop).contains(box), qPrintable(QStringLiteral("%1 %2 %3 %4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
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
