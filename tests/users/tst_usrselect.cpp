// The login dialog: its controls, the list filled in folder order at each opening, the focus hand-over,
// the byte-for-byte password check and what a right, a wrong or an impossible login changes.
#include "support/testmain.h"

#include "platform/textfile.h"
#include "drill/option.h"
#include "kit/widgets.h"
#include "shell/main.h"
#include "users/userstore.h"
#include "users/usrselect.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QStyleOptionFrame>

using testsupport::Program;
using testsupport::recorder;
using testsupport::type;

namespace {
const char *const kUserItems[] = {"Label3", "Image3", "Label2", "Image4", "Label5", "Image5"};

QStringList listed(const QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

void choose(TForm9 *f, const QString &name)
{
    const QList<QListWidgetItem *> items = f->ListBox1->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    f->ListBox1->scrollToItem(items.first());
    QTest::mouseClick(f->ListBox1->viewport(), Qt::LeftButton, {}, f->ListBox1->visualItemRect(items.first()).center());
}

void logIn(TForm9 *f, const QString &name, const QString &typed)
{
    choose(f, name);
    type(f->Edit1, typed);
    QTest::keyClick(f->Edit1, Qt::Key_Return);
}

void verifyMenu(Program &p, bool enabled)
{
    for (const char *n : kUserItems)
        QVERIFY2(p.screens().mainMenu->findChild<QWidget *>(n)->isEnabled() == enabled, n);
    QCOMPARE(p.state().loggedIn, enabled);
}
} // namespace

class TestUserSelect : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void listInFolderOrder();
    void emptyFolderEmptyList();
    void reopeningListsEachOnce();
    void selectionMovesFocus();
    void clickOnANameMovesTheKeyboard_data();
    void clickOnANameMovesTheKeyboard();
    void firstArrowChoosesTheFirstName_data();
    void firstArrowChoosesTheFirstName();
    void login_data();
    void login();
    void nameShownWhileLoggedIn_data();
    void nameShownWhileLoggedIn();
    void switchUser();
    void failedSwitchKeepsUser();
    void noNameChosen();
    void missingPasswordFile();
    void passwordOutsideCp932();
    void newRegistrationListed();
};

void TestUserSelect::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    layoutRow("Label2", {8, 8}, {}, QStringLiteral("名前を選択してください"), 27, Qt::white, 1);
    layoutRow("Label1", {8, 272}, {}, QStringLiteral("パスワードをいれてください"), 27, Qt::white, 1);
    layoutRow("ListBox1", {8, 40}, {444, 225}, QString(), 35, QColor(), 1);
    layoutRow("Edit1", {8, 304}, {444, 43}, QString(), 35, QColor(), 1);
}

void TestUserSelect::layout()
{
    Program p;
    TForm9 *f = p.screens().login;
    testsupport::checkLayoutRow(f);
    QCOMPARE(f->windowTitle(), QStringLiteral("名前を選択してパスワードをいれてENTERを押してください"));
    // Wider than designed, for its title; centred where the 409 px window was.
    QCOMPARE(f->size(), QSize(460, 357));
    QCOMPARE(f->pos(), QPoint(149, 76));

    auto *list = f->findChild<QListWidget *>(QStringLiteral("ListBox1"));
    QVERIFY(list);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!list->isSortingEnabled());

    auto *edit = f->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    QVERIFY(edit);
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    QVERIFY(!edit->testAttribute(Qt::WA_InputMethodEnabled));
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    QCOMPARE(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &opt, edit), int('*'));

    // 35 pixels a name: six fit, the seventh and eighth are scrolled to.
    for (int i = 1; i <= 8; ++i)
        addUser(p, QStringLiteral("user%1").arg(i), {}, "pw\r\n");
    f->Show();
    QCOMPARE(list->count(), 8);
    for (int i = 0; i < list->count(); ++i)
        QCOMPARE(list->visualItemRect(list->item(i)).height(), 35);
    QCOMPARE(list->viewport()->height() / 35, 6);
    QVERIFY(list->verticalScrollBar()->maximum() > 0);
}

void TestUserSelect::listInFolderOrder()
{
    Program p;
    const QStringList names = {QStringLiteral("たろう"), QStringLiteral("はなこ"), QStringLiteral("Aki"), QStringLiteral("zeta"),
                               QStringLiteral(" "), QStringLiteral("一郎"), QStringLiteral("b"), QStringLiteral("さくら")};
    for (const QString &n : names)
        addUser(p, n, {}, "pw\r\n");
    QStringList expected; // the folder as Qt lists it unsorted, without anything that is not a user
    for (const QString &e : QDir(testsupport::inRoom(QStringLiteral("user")), QStringLiteral("*.dat"), QDir::NoSort, QDir::Files | QDir::Hidden).entryList())
        expected << e.chopped(4);
    QCOMPARE(expected.size(), names.size());

    TForm9 *f = p.screens().login;
    f->Show();
    QCOMPARE(listed(f->ListBox1), expected);
    QVERIFY(!listed(f->ListBox1).contains(QStringLiteral("master")));
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
}

void TestUserSelect::emptyFolderEmptyList()
{
    Program p;
    TForm9 *f = p.screens().login;
    f->Show();
    QCOMPARE(f->ListBox1->count(), 0);
    QTest::keyClicks(f->Edit1, QStringLiteral("teacher"));
    QTest::keyClick(f->Edit1, Qt::Key_Return);
    verifyMenu(p, false);
}

void TestUserSelect::reopeningListsEachOnce()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, "abc\r\n");
    addUser(p, QStringLiteral("はなこ"), {}, "xyz\r\n");
    TForm9 *f = p.screens().login;
    p.screens().mainMenu->Show();
    f->Show();
    QCOMPARE(f->ListBox1->count(), 2);
    choose(f, QStringLiteral("たろう"));
    QTest::keyClicks(f->Edit1, QStringLiteral("ab"));
    f->close(); // the title bar's close box
    QVERIFY(!p.app().isOpen(f));
    QCOMPARE(f->ListBox1->count(), 0);
    QCOMPARE(f->Edit1->text(), QString());
    f->Show();
    QCOMPARE(f->ListBox1->count(), 2);
    const QStringList again = listed(f->ListBox1);
    QCOMPARE(QSet<QString>(again.begin(), again.end()).size(), 2);
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
}

void TestUserSelect::selectionMovesFocus()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, "abc\r\n");
    addUser(p, QStringLiteral("はなこ"), {}, "xyz\r\n");
    TForm9 *f = p.screens().login;
    f->Show();
    QVERIFY(QTest::qWaitForWindowActive(f));
    QCOMPARE(QApplication::focusWidget(), f->ListBox1);
    QVERIFY(f->ListBox1->selectedItems().isEmpty());

    // Tab order: the list, then the password.
    QTest::keyClick(f->ListBox1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f->Edit1);
    QTest::keyClick(f->Edit1, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), f->ListBox1);
    QVERIFY(f->ListBox1->selectedItems().isEmpty());

    choose(f, QStringLiteral("はなこ"));
    QCOMPARE(QApplication::focusWidget(), f->Edit1);

    // An arrow key in the list chooses too.
    f->ListBox1->setFocus();
    QCOMPARE(QApplication::focusWidget(), f->ListBox1);
    const int row = f->ListBox1->currentRow();
    QTest::keyClick(f->ListBox1, row == 0 ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(f->ListBox1->selectedItems().size(), 1);
    QVERIFY(f->ListBox1->selectedItems().first()->text() != QStringLiteral("はなこ"));
    QCOMPARE(QApplication::focusWidget(), f->Edit1);
}

void TestUserSelect::clickOnANameMovesTheKeyboard_data()
{
    QTest::addColumn<bool>("wrongPassword");
    QTest::newRow("the chosen name, after a wrong password") << true;
    QTest::newRow("the chosen name, after Shift+Tab to the list") << false;
}

// Every click on a name gives the keyboard to the password field, whether it changes the choice or not.
void TestUserSelect::clickOnANameMovesTheKeyboard()
{
    QFETCH(bool, wrongPassword);
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, "abc\r\n");
    addUser(p, QStringLiteral("はなこ"), {}, "xyz\r\n");
    p.screens().mainMenu->Show();
    TForm9 *f = p.screens().login;
    f->Show();
    QVERIFY(QTest::qWaitForWindowActive(f));
    if (wrongPassword) {
        logIn(f, QStringLiteral("たろう"), QStringLiteral("abd"));
        QCOMPARE(recorder().texts(), QStringList{QStringLiteral("パスワードが違います")});
    } else {
        choose(f, QStringLiteral("たろう"));
        QTest::keyClick(f->Edit1, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), f->ListBox1);
    }
    choose(f, QStringLiteral("たろう"));
    QCOMPARE(QApplication::focusWidget(), f->Edit1);
    type(QApplication::focusWidget(), QStringLiteral("xyz"));
    QCOMPARE(f->Edit1->text(), QStringLiteral("xyz"));
}

void TestUserSelect::firstArrowChoosesTheFirstName_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("reopened");
    QTest::newRow("Down") << int(Qt::Key_Down) << false;
    QTest::newRow("Up") << int(Qt::Key_Up) << false;
    QTest::newRow("Down, opened a second time") << int(Qt::Key_Down) << true;
    QTest::newRow("Home") << int(Qt::Key_Home) << false;
}

// The dialog opens with no name chosen and none current: the first arrow chooses the first name.
void TestUserSelect::firstArrowChoosesTheFirstName()
{
    QFETCH(int, key);
    QFETCH(bool, reopened);
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, "abc\r\n");
    addUser(p, QStringLiteral("はなこ"), {}, "xyz\r\n");
    addUser(p, QStringLiteral("じろう"), {}, "xyz\r\n");
    TForm9 *f = p.screens().login;
    p.screens().mainMenu->Show();
    f->Show();
    if (reopened) {
        QVERIFY(QTest::qWaitForWindowActive(f));
        choose(f, listed(f->ListBox1).at(2));
        f->Close();
        f->Show();
    }
    QVERIFY(QTest::qWaitForWindowActive(f));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), f->ListBox1, 2000);
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
    QCOMPARE(f->ListBox1->currentRow(), -1);
    QTest::keyClick(f->ListBox1, Qt::Key(key));
    QCOMPARE(f->ListBox1->selectedItems().size(), 1);
    QCOMPARE(f->ListBox1->selectedItems().first()->text(), listed(f->ListBox1).first());
    QCOMPARE(QApplication::focusWidget(), f->Edit1);
}

void TestUserSelect::login_data()
{
    QTest::addColumn<QByteArray>("passwordFile");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("right");
    QTest::newRow("right") << QByteArray("abc\r\n") << QStringLiteral("abc") << true;
    QTest::newRow("wrong") << QByteArray("abc\r\n") << QStringLiteral("abd") << false;
    QTest::newRow("letter case differs") << QByteArray("abc\r\n") << QStringLiteral("ABC") << false;
    QTest::newRow("trailing blank typed") << QByteArray("abc\r\n") << QStringLiteral("abc ") << false;
    QTest::newRow("blank stored at the end") << QByteArray("abc \r\n") << QStringLiteral("abc") << false;
    QTest::newRow("nothing typed") << QByteArray("abc\r\n") << QString() << false;
    QTest::newRow("full-width typed") << QByteArray("abc\r\n") << QStringLiteral("ａｂｃ") << false;
    QTest::newRow("kana, right") << QByteArray("\x82\xcd\x82\xc8\r\n") << QStringLiteral("はな") << true;
    QTest::newRow("only line 1 counts") << QByteArray("abc\r\nxyz\r\n") << QStringLiteral("xyz") << false;
    QTest::newRow("LF-only file, right") << QByteArray("abc\n") << QStringLiteral("abc") << true;
}

void TestUserSelect::login()
{
    QFETCH(QByteArray, passwordFile);
    QFETCH(QString, typed);
    QFETCH(bool, right);
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, passwordFile);
    addUser(p, QStringLiteral("はなこ"), {}, "abc\r\n");
    p.screens().mainMenu->Show();
    TForm9 *f = p.screens().login;
    f->Show();
    recorder().clear();
    logIn(f, QStringLiteral("たろう"), typed);

    QCOMPARE(f->Edit1->text(), QString());
    if (right) {
        QVERIFY(recorder().boxes.isEmpty());
        QCOMPARE(p.state().userName, QStringLiteral("たろう"));
        verifyMenu(p, true);
        QVERIFY(!p.app().isOpen(f));
        QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
        QCOMPARE(f->ListBox1->count(), 0);
    } else {
        QCOMPARE(recorder().boxes.size(), 1);
        QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Warning);
        QCOMPARE(recorder().boxes[0].title, QStringLiteral("警告"));
        QCOMPARE(recorder().boxes[0].text, QStringLiteral("パスワードが違います"));
        QCOMPARE(recorder().count(sound::Cue::Exclamation), 1);
        QCOMPARE(p.state().userName, QString());
        verifyMenu(p, false);
        QVERIFY(p.app().isOpen(f));
        QCOMPARE(f->ListBox1->selectedItems().size(), 1);
        QCOMPARE(f->ListBox1->selectedItems().first()->text(), QStringLiteral("たろう"));
    }
}

// Whose drills these are: the name on the main menu and the grade screen, from the log-in on.
void TestUserSelect::nameShownWhileLoggedIn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown"); // null: too long to show whole
    QTest::newRow("kana") << QStringLiteral("たろう") << QStringLiteral("たろう さん");
    QTest::newRow("full name with a blank") << QStringLiteral("やまだ　はなこ") << QStringLiteral("やまだ　はなこ さん");
    QTest::newRow("latin") << QStringLiteral("Ken") << QStringLiteral("Ken さん");
    QTest::newRow("thirty characters") << QStringLiteral("じゅげむ").repeated(7) + QStringLiteral("ごこ") << QString();
}

void TestUserSelect::nameShownWhileLoggedIn()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    Program p;
    addUser(p, name, {}, "abc\r\n");
    addUser(p, QStringLiteral("じろう"), {}, "xyz\r\n");
    TForm1 *menu = p.screens().mainMenu;
    menu->Show();
    QVERIFY(!menu->UserName->isVisible());
    QVERIFY(!menu->UserCaption->isVisible());

    TForm9 *f = p.screens().login;
    f->Show();
    logIn(f, name, QStringLiteral("abc"));
    QVERIFY(menu->UserName->isVisible());
    QCOMPARE(menu->UserCaption->text(), QStringLiteral("いま れんしゅうする人"));
    QTest::mouseClick(menu->Label3, Qt::LeftButton); // れんしゅうする
    TForm3 *grades = p.screens().gradeSelection;
    QVERIFY(grades->isVisible());
    QVERIFY(grades->UserName->isVisible());
    // Each within its room: left of the menu's pictures (x 320), left of もどる (x 704).
    for (QLabel *l : {menu->UserName, grades->UserName}) {
        if (shown.isNull() && l == menu->UserName) { // even at half width too long: cut
            QVERIFY2(l->text().startsWith(QStringLiteral("じゅげむ")), qPrintable(l->text()));
            QVERIFY2(l->text().endsWith(QStringLiteral("… さん")), qPrintable(l->text()));
        } else if (shown.isNull()) { // whole, in narrower type
            QCOMPARE(l->text(), name + QStringLiteral(" さん"));
            QVERIFY(l->font().stretch() < 100);
            QCOMPARE(l->font().pixelSize(), 27);
        } else {
            QCOMPARE(l->text(), shown);
        }
        const int inkRight = l->x() + l->contentsRect().left()
                           + qCeil(QFontMetricsF(l->font()).tightBoundingRect(l->text()).right());
        QVERIFY2(inkRight < (l == menu->UserName ? 320 : 704), qPrintable(QString::number(inkRight)));
    }
    grades->Label21Click();

    // The next child logs in at the same PC: their name, at once.
    f->Show();
    logIn(f, QStringLiteral("じろう"), QStringLiteral("xyz"));
    QCOMPARE(menu->UserName->text(), QStringLiteral("じろう さん"));
    QTest::mouseClick(menu->Label3, Qt::LeftButton);
    QCOMPARE(grades->UserName->text(), QStringLiteral("じろう さん"));
    grades->Label21Click();

    // Logged out (the teacher's visit ends it): no name left behind.
    menu->setLoggedIn(false);
    QVERIFY(!menu->UserName->isVisible());
    QVERIFY(!menu->UserCaption->isVisible());
}

void TestUserSelect::switchUser()
{
    Program p;
    addUser(p, QStringLiteral("A"), {}, "aaa\r\n");
    addUser(p, QStringLiteral("B"), {}, "bbb\r\n");
    p.screens().mainMenu->Show();
    TForm9 *f = p.screens().login;
    f->Show();
    logIn(f, QStringLiteral("A"), QStringLiteral("aaa"));
    QCOMPARE(p.state().userName, QStringLiteral("A"));
    f->Show();
    logIn(f, QStringLiteral("B"), QStringLiteral("bbb"));
    QCOMPARE(p.state().userName, QStringLiteral("B"));
    verifyMenu(p, true);
    QVERIFY(!p.app().isOpen(f));
    QVERIFY(recorder().boxes.isEmpty());
}

void TestUserSelect::failedSwitchKeepsUser()
{
    Program p;
    addUser(p, QStringLiteral("A"), {}, "aaa\r\n");
    addUser(p, QStringLiteral("B"), {}, "bbb\r\n");
    p.screens().mainMenu->Show();
    TForm9 *f = p.screens().login;
    f->Show();
    logIn(f, QStringLiteral("A"), QStringLiteral("aaa"));
    f->Show();
    logIn(f, QStringLiteral("B"), QStringLiteral("aaa"));
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("パスワードが違います")});
    QCOMPARE(p.state().userName, QStringLiteral("A"));
    verifyMenu(p, true);
    QVERIFY(p.app().isOpen(f));
}

void TestUserSelect::noNameChosen()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, "abc\r\n");
    p.screens().mainMenu->Show();
    TForm9 *f = p.screens().login;
    f->Show();
    recorder().clear();
    // Chosen, then un-chosen with Ctrl and a click: the name is still the list's current row.
    choose(f, QStringLiteral("たろう"));
    QListWidgetItem *item = f->ListBox1->item(0);
    QTest::mouseClick(f->ListBox1->viewport(), Qt::LeftButton, Qt::ControlModifier, f->ListBox1->visualItemRect(item).center());
    QVERIFY(f->ListBox1->selectedItems().isEmpty());
    QCOMPARE(f->ListBox1->currentItem(), item);
    QTest::keyClicks(f->Edit1, QStringLiteral("abc"));
    QTest::keyClick(f->Edit1, Qt::Key_Return);
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Warning);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("警告"));
    QCOMPARE(recorder().boxes[0].text, QStringLiteral("なまえをえらんでからパスワードをいれてください"));
    QCOMPARE(recorder().count(sound::Cue::Exclamation), 1);
    QCOMPARE(p.state().userName, QString());
    verifyMenu(p, false);
    QVERIFY(p.app().isOpen(f));
}

void TestUserSelect::missingPasswordFile()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, "abc\r\n");
    p.writeFile(QStringLiteral("user/じろう.dat"), textfile::encode(userstore::recordHeader()) + "\r\n");
    p.screens().mainMenu->Show();
    TForm9 *f = p.screens().login;
    f->Show();
    recorder().clear();
    logIn(f, QStringLiteral("じろう"), QStringLiteral("abc"));
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QCOMPARE(recorder().boxes[0].title, App::title());
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("じろう.psw")), qPrintable(recorder().boxes[0].text));
    QCOMPARE(p.state().userName, QString());
    verifyMenu(p, false);
    QVERIFY(p.app().isOpen(f));

    // Still usable.
    QTest::keyClick(f->Edit1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f->Edit1, Qt::Key_Delete);
    logIn(f, QStringLiteral("たろう"), QStringLiteral("abc"));
    QCOMPARE(p.state().userName, QStringLiteral("たろう"));
    verifyMenu(p, true);
}

void TestUserSelect::passwordOutsideCp932()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, "?\r\n");
    p.screens().mainMenu->Show();
    TForm9 *f = p.screens().login;
    f->Show();
    recorder().clear();
    choose(f, QStringLiteral("たろう"));
    f->Edit1->setText(QStringLiteral("😀")); // pasted: no key of a Japanese keyboard types it
    QTest::keyClick(f->Edit1, Qt::Key_Return);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("パスワードにつかえないもじがはいっています")});
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("警告"));
    QCOMPARE(f->Edit1->text(), QString());
    verifyMenu(p, false);
    QVERIFY(p.app().isOpen(f));
}

void TestUserSelect::newRegistrationListed()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), {}, "abc\r\n");
    TForm9 *f = p.screens().login;
    f->Show();
    QCOMPARE(listed(f->ListBox1), QStringList{QStringLiteral("たろう")});
    f->Close();
    QCOMPARE(userstore::createUser(QStringLiteral("はなこ"), QStringLiteral("xyz")), QString());
    f->Show();
    QCOMPARE(listed(f->ListBox1), userstore::listUsers());
    QCOMPARE(f->ListBox1->count(), 2);
    logIn(f, QStringLiteral("はなこ"), QStringLiteral("xyz"));
    QCOMPARE(p.state().userName, QStringLiteral("はなこ"));
}

PZ_GUI_TEST_MAIN(TestUserSelect)
#include "tst_usrselect.moc"
