// The teacher's new password for a child, from the students' records: the button under the list,
// the dialog for the child shown, the password typed twice, a mismatch and a refusal changing
// nothing, and the history left as it was.
#include "support/studentsrecords.h"

#include "kit/CuteBtn.h"
#include "users/passreset.h"

#include <QLineEdit>

using testsupport::Program;
using testsupport::recorder;
using namespace studentsrecords;

namespace {
// Presses パスワードを変える and runs `answer` while the dialog is up; a dialog still up after five
// seconds is closed, so that a fault cannot hang the test. Returns whether it came up.
bool reset(Program &p, const std::function<void(TPassReset *)> &answer)
{
    QObject scope;
    bool asked = false;
    TPassReset *d = p.screens().passwordReset;
    QTimer::singleShot(0, &scope, [&] {
        asked = d->isVisible() && p.app().modalRunning();
        if (asked)
            answer(d);
    });
    QTimer::singleShot(5000, &scope, [&] {
        if (d->isVisible())
            d->Close();
    });
    auto *button = p.screens().studentsRecords->findChild<QLabel *>(QStringLiteral("Label11"));
    if (!button)
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    // Let the single shot run when no dialog was shown (no modal loop to run it).
    QCoreApplication::processEvents();
    return asked;
}
} // namespace

class TestPassResetScreen : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void typedTwice_data();
    void typedTwice();
    void nobodyChosen();
    void deletedMeanwhile();
};

void TestPassResetScreen::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    layoutRow("Label2", {16, 116}, {}, QStringLiteral("もういちど入れて下さい"), 24, Qt::white, 1);
    layoutRow("Edit1", {16, 48}, {425, 56});
    layoutRow("Edit2", {16, 148}, {425, 56});
    layoutRow("CuteButton1", {16, 236}, {169, 41});
    layoutRow("CuteButton2", {272, 236}, {169, 41});
}

void TestPassResetScreen::layout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().passwordReset);
    QCOMPARE(p.screens().passwordReset->CuteButton1->Caption(), QStringLiteral("変える"));
    QCOMPARE(p.screens().passwordReset->CuteButton2->Caption(), QStringLiteral("とじる"));
    // On the teacher's screen, under the shortened list and above the band.
    auto *face = p.screens().studentsRecords->findChild<QWidget *>(QStringLiteral("Image10"));
    QVERIFY(face);
    QCOMPARE(face->geometry(), QRect(8, 504, 177, 40));
    auto *roster = p.screens().studentsRecords->findChild<QWidget *>(QStringLiteral("Image11"));
    QVERIFY(roster);
    QCOMPARE(roster->geometry(), QRect(8, 456, 177, 40));
    QVERIFY(roster->geometry().top() > p.screens().studentsRecords->ListBox1->geometry().bottom());
}

void TestPassResetScreen::typedTwice_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QByteArray>("file");   // たろう's password file afterwards
    QTest::addColumn<QString>("box");       // the one box shown
    QTest::addColumn<bool>("stillOpen");
    QTest::newRow("the same twice") << QStringLiteral("neko9") << QStringLiteral("neko9") << QByteArray("neko9\r\n")
                                    << QStringLiteral("たろうさんのパスワードを変えました") << false;
    QTest::newRow("different") << QStringLiteral("neko9") << QStringLiteral("neko8") << QByteArray("pw\r\n")
                               << QStringLiteral("2回入れたパスワードが同じではありません。\nもういちど入れて下さい。") << true;
    QTest::newRow("empty twice") << QString() << QString() << QByteArray("pw\r\n")
                                 << QStringLiteral("なまえとパスワードをいれてください") << true;
}

void TestPassResetScreen::typedTwice()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QByteArray, file);
    QFETCH(QString, box);
    QFETCH(bool, stillOpen);
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(3));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    const QByteArray history = p.readFile(QStringLiteral("user/たろう.dat"));
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    QString title;
    bool open = false;
    QVERIFY(reset(p, [&](TPassReset *d) {
        title = d->Label1->text();
        testsupport::type(d->Edit1, first);
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        testsupport::type(d->Edit2, second);
        QTest::keyClick(d->Edit2, Qt::Key_Return);
        open = d->isVisible();
        d->Close();
    }));
    QCOMPARE(title, QStringLiteral("たろうさんの新しいパスワード"));
    QCOMPARE(open, stillOpen);
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.psw")), file);
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.dat")), history);
    QCOMPARE(p.readFile(QStringLiteral("user/はなこ.psw")), QByteArray("pw\r\n"));
    QCOMPARE(recorder().texts().value(recorder().texts().size() - 1), box);
    QCOMPARE(p.app().activeScreen(), f);
    // What was typed does not wait in the dialog for the next child.
    QVERIFY(p.screens().passwordReset->Edit1->text().isEmpty());
}

void TestPassResetScreen::nobodyChosen()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(1));
    open(p);
    recorder().clear();
    QVERIFY(!reset(p, [](TPassReset *) {}));
    QVERIFY(!p.screens().passwordReset->isVisible());
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("パスワードを変える人を、左の名前から選んで下さい")});
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.psw")), QByteArray("pw\r\n"));
}

void TestPassResetScreen::deletedMeanwhile()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(1));
    TForm13 *f = open(p);
    choose(f, QStringLiteral("たろう"));
    recorder().clear();
    QVERIFY(reset(p, [&](TPassReset *d) {
        // Another PC of the room deletes the child while the teacher types.
        QFile::remove(testsupport::inRoom(QStringLiteral("user/たろう.dat")));
        testsupport::type(d->Edit1, QStringLiteral("abc"));
        testsupport::type(d->Edit2, QStringLiteral("abc"));
        QTest::mouseClick(d->CuteButton1, Qt::LeftButton);
        d->Close();
    }));
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("「たろう」という名前の人は登録されていません。")});
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.psw")), QByteArray("pw\r\n"));
}

PZ_GUI_TEST_MAIN(TestPassResetScreen)
#include "tst_passreset.moc"
