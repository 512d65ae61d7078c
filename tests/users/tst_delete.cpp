// Deleting oneself from the main menu: the dialog's layout, the master password read afresh at
// every Enter, what the right, a wrong and an unreadable master password change, and deletions
// that fail (a password file that stays, a read-only user folder as a non-root user).
#include "support/otheraccount.h"
#include "support/testmain.h"

#include "platform/textfile.h"
#include "shell/main.h"
#include "kit/widgets.h"
#include "users/delete.h"
#include "users/userstore.h"
#include "users/usrselect.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSignalSpy>
#include <QStyleOptionFrame>

#include <unistd.h>

using testsupport::cp932Lines;
using testsupport::Program;
using testsupport::recorder;
using testsupport::type;

namespace {
const QString kUser = QStringLiteral("たろう");

bool exists(const QString &name, const char *ext) { return QFileInfo::exists(testsupport::inRoom(QStringLiteral("user/") + name + QString::fromLatin1(ext))); }

// Logged in as たろう (password "pw"), the deletion dialog opened from the main menu.
TForm10 *openLoggedIn(Program &p)
{
    addUser(p, kUser, {QStringLiteral("１級,2007/3/03,9,1,合格")}, "pw\r\n");
    addUser(p, QStringLiteral("はなこ"), {QStringLiteral("１級,2007/3/03,9,1,合格")}, "hk\r\n");
    p.state().userName = kUser;
    p.screens().mainMenu->Show();
    p.screens().mainMenu->setLoggedIn(true);
    QTest::mouseClick(p.screens().mainMenu->Label5, Qt::LeftButton); // さくじょする
    return p.screens().userDeletion;
}

void enter(TForm10 *f, const QString &typed)
{
    type(f->Edit1, typed);
    QTest::keyClick(f->Edit1, Qt::Key_Return);
}

void verifyLoggedIn(Program &p, bool loggedIn)
{
    QCOMPARE(p.state().loggedIn, loggedIn);
    TForm1 *menu = p.screens().mainMenu;
    for (QWidget *w : std::initializer_list<QWidget *>{menu->Label3, menu->Image3, menu->Label2, menu->Image4, menu->Label5, menu->Image5})
        QCOMPARE(w->isEnabled(), loggedIn);
}
} // namespace

class TestDeleteSelf : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void window_data();
    void window();
    void windowAndField();
    void opensFromMenu();
    void rightMasterPassword();
    void wrongPasswords_data();
    void wrongPasswords();
    void masterReadAfresh();
    void missingMasterFile();
    void closingEmptiesField();
    void passwordFileThatStays();
    void readOnlyFolder();
};

void TestDeleteSelf::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    layoutRow("Label1", {8, 8}, {}, QStringLiteral("さんの"), 29, Qt::white, 1);
    layoutRow("Label3", {144, 40}, {}, QStringLiteral("記録を削除します"), 29, Qt::white, 1);
    layoutRow("Label2", {8, 112}, {}, QStringLiteral("マスターパスワードを入れてENTERを押して下さい"), 21, QColor(255, 0, 0), 1);
    layoutRow("Edit1", {8, 144}, {385, 43}, QString(), 35, QColor(), 1);
}

void TestDeleteSelf::layout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().userDeletion);
}

void TestDeleteSelf::window_data()
{
    testsupport::windowColumns();
    testsupport::windowRow("userDeletion", QStringLiteral("削除"), testsupport::Kind::Fixed, QRect(150, 155, 488, 200));
}

void TestDeleteSelf::window()
{
    Program p;
    testsupport::checkWindow(p.screens());
}

void TestDeleteSelf::windowAndField()
{
    Program p;
    TForm10 *f = p.screens().userDeletion;
    QCOMPARE(f->Edit1->echoMode(), QLineEdit::Password);
    QVERIFY(!f->Edit1->testAttribute(Qt::WA_InputMethodEnabled));
    QStyleOptionFrame opt;
    opt.initFrom(f->Edit1);
    QCOMPARE(f->Edit1->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &opt, f->Edit1), int('*'));
}

void TestDeleteSelf::opensFromMenu()
{
    Program p;
    TForm10 *f = openLoggedIn(p);
    QVERIFY(p.app().isOpen(f));
    QCOMPARE(p.app().activeScreen(), f);
    QVERIFY(!p.app().modalRunning());
    QCOMPARE(f->Label1->text(), QStringLiteral("たろうさんの"));
    QVERIFY(QTest::qWaitForWindowActive(f));
    QCOMPARE(QApplication::focusWidget(), f->Edit1);
    // The menu behind stays usable.
    QVERIFY(p.screens().mainMenu->isEnabled());
}

void TestDeleteSelf::rightMasterPassword()
{
    Program p;
    TForm10 *f = openLoggedIn(p);
    bool dialogGone = false;
    dialogs::setHook([&](const dialogs::Shown &s) {
        dialogGone = !f->isVisible() && !p.app().isOpen(f);
        recorder().boxes.append(s);
        return true;
    });
    QSignalSpy returnPressed(f->Edit1, &QLineEdit::returnPressed);
    enter(f, QStringLiteral("teacher"));
    testsupport::install();

    QVERIFY(!exists(kUser, ".dat"));
    QVERIFY(!exists(kUser, ".psw"));
    QVERIFY(exists(QStringLiteral("はなこ"), ".dat"));
    QVERIFY(!p.app().isOpen(f));
    verifyLoggedIn(p, false);
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Deleted);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("検定用ぴかざん"));
    QCOMPARE(recorder().boxes[0].text, QStringLiteral("削除しました"));
    QCOMPARE(recorder().sounds, QList<sound::Cue>{sound::Cue::Information});
    QVERIFY(dialogGone);
    QCOMPARE(f->Edit1->text(), QString());
    QCOMPARE(returnPressed.size(), 0); // Enter was used up

    // The next login does not offer the name.
    QTest::mouseClick(p.screens().mainMenu->Label6, Qt::LeftButton);
    QCOMPARE(p.screens().login->ListBox1->count(), 1);
    QCOMPARE(p.screens().login->ListBox1->item(0)->text(), QStringLiteral("はなこ"));
}

void TestDeleteSelf::wrongPasswords_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("the child's own password") << QStringLiteral("pw");
    QTest::newRow("letter case") << QStringLiteral("Teacher");
    QTest::newRow("a trailing blank") << QStringLiteral("teacher ");
    QTest::newRow("full-width forms") << QStringLiteral("ｔｅａｃｈｅｒ");
    QTest::newRow("empty") << QString();
    QTest::newRow("text cp932 cannot hold") << QStringLiteral("teacher😀");
    QTest::newRow("empty, while no master password is set") << QString();
}

void TestDeleteSelf::wrongPasswords()
{
    QFETCH(QString, typed);
    Program p;
    TForm10 *f = openLoggedIn(p);
    if (QByteArray(QTest::currentDataTag()).contains("no master password"))
        p.writeFile(QStringLiteral("user/master.psw"), "\r\n");
    QSignalSpy returnPressed(f->Edit1, &QLineEdit::returnPressed);
    f->Edit1->insert(typed); // as pasted: a key at a time cannot carry a character outside the BMP
    QCOMPARE(f->Edit1->text(), typed);
    QTest::keyClick(f->Edit1, Qt::Key_Return);
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Warning);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("警告"));
    QCOMPARE(recorder().boxes[0].text, QStringLiteral("パスワードが違います"));
    QCOMPARE(recorder().sounds, QList<sound::Cue>{sound::Cue::Exclamation});
    QVERIFY(exists(kUser, ".dat"));
    QVERIFY(exists(kUser, ".psw"));
    QVERIFY(p.app().isOpen(f));
    QCOMPARE(f->Edit1->text(), QString());
    QCOMPARE(returnPressed.size(), 0);
    verifyLoggedIn(p, true);
}

void TestDeleteSelf::masterReadAfresh()
{
    Program p;
    TForm10 *f = openLoggedIn(p);
    p.writeFile(QStringLiteral("user/master.psw"), cp932Lines({QStringLiteral("せんせい"), QStringLiteral("teacher")}));
    enter(f, QStringLiteral("teacher")); // only line 1 counts
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("パスワードが違います")});
    QVERIFY(exists(kUser, ".dat"));
    recorder().clear();
    enter(f, QStringLiteral("せんせい"));
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("削除しました")});
    QVERIFY(!exists(kUser, ".dat"));
}

void TestDeleteSelf::missingMasterFile()
{
    Program p;
    TForm10 *f = openLoggedIn(p);
    QVERIFY(QFile::remove(testsupport::inRoom(QStringLiteral("user/master.psw"))));
    enter(f, QStringLiteral("teacher"));
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("user/master.psw")), qPrintable(recorder().boxes[0].text));
    QVERIFY(exists(kUser, ".dat"));
    QVERIFY(exists(kUser, ".psw"));
    QVERIFY(p.app().isOpen(f));
    verifyLoggedIn(p, true);
}

void TestDeleteSelf::closingEmptiesField()
{
    Program p;
    TForm10 *f = openLoggedIn(p);
    type(f->Edit1, QStringLiteral("teach"));
    f->close(); // the close box
    QVERIFY(!p.app().isOpen(f));
    QCOMPARE(f->Edit1->text(), QString());
    QVERIFY(exists(kUser, ".dat"));
    verifyLoggedIn(p, true);
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
}

void TestDeleteSelf::passwordFileThatStays()
{
    Program p;
    TForm10 *f = openLoggedIn(p);
    // A folder in the password file's place: no one, root included, can unlink it.
    QVERIFY(QFile::remove(testsupport::inRoom(QStringLiteral("user/たろう.psw"))));
    QVERIFY(QDir().mkpath(testsupport::inRoom(QStringLiteral("user/たろう.psw/inside"))));
    enter(f, QStringLiteral("teacher"));
    // The user is gone and logged out, and the box says which file is left instead of "削除しました".
    QVERIFY(!exists(kUser, ".dat"));
    QVERIFY(!p.app().isOpen(f));
    verifyLoggedIn(p, false);
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("user/たろう.psw")), qPrintable(recorder().boxes[0].text));
    QVERIFY(recorder().sounds.isEmpty());
}

void TestDeleteSelf::readOnlyFolder()
{
    // Root may delete in any folder: the case runs as an account that may not.
    if (!testsupport::runAsOrdinaryUser())
        return;
    Program p;
    TForm10 *f = openLoggedIn(p);
    const QFile::Permissions writable = QFile::permissions(testsupport::inRoom(QStringLiteral("user")));
    QVERIFY(QFile::setPermissions(testsupport::inRoom(QStringLiteral("user")), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup));
    enter(f, QStringLiteral("teacher"));
    QFile::setPermissions(testsupport::inRoom(QStringLiteral("user")), writable);
    // Stopped: nothing else changes.
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("user/たろう.dat")), qPrintable(recorder().boxes[0].text));
    QVERIFY(exists(kUser, ".dat"));
    QVERIFY(exists(kUser, ".psw"));
    QVERIFY(p.app().isOpen(f));
    verifyLoggedIn(p, true);
    QVERIFY(userstore::listUsers().contains(kUser));
}

PZ_GUI_TEST_MAIN(TestDeleteSelf)
#include "tst_delete.moc"
