// The main menu: its items, the login mirror, which buttons act, and the master-password check.
#include "support/otheraccount.h"
#include "support/testmain.h"

#include "drill/kotae.h"
#include "drill/option.h"
#include "drill/start.h"
#include "records/mastergate.h"
#include "records/kiroku.h"
#include "platform/display.h"
#include "shell/main.h"
#include "kit/widgets.h"
#include "users/delete.h"
#include "users/masterpass.h"
#include "users/pending.h"
#include "users/mstgtpass.h"
#include "users/regist.h"
#include "users/usrselect.h"

#include <algorithm>

#include <QFile>

using testsupport::Program;
using testsupport::recorder;

namespace {
const char *const kUserItems[] = {"Label3", "Image3", "Label2", "Image4", "Label5", "Image5"};

Screen *target(Screens &s, const QString &name)
{
    if (name == "registration") return s.registration;
    if (name == "login") return s.login;
    if (name == "gradeSelection") return s.gradeSelection;
    if (name == "ownRecords") return s.ownRecords;
    if (name == "userDeletion") return s.userDeletion;
    if (name == "masterPasswordEntry") return s.masterPasswordEntry;
    return nullptr;
}
} // namespace

class TestMainMenu : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void window_data();
    void window();
    void windowRules();
    void userItemsFollowLogin();
    void items_data();
    void items();
    void masterPasswordDialogComesBackUntilSet();
    void unreadableMasterPasswordFileReportsAndMenuStaysUsable();
    void whatCannotBeWrittenIsSaidOnceBeforeTheMasterPasswordDialog();
    void keptLinesLandAtTheFirstStart_data();
    void keptLinesLandAtTheFirstStart();
    void quitClosesTheMenu();
};

void TestMainMenu::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    const QColor black(Qt::black);
    layoutRow("Label1", {541, 39}, {}, QStringLiteral("とうろくする"), 27, black, 1);
    layoutRow("Label6", {341, 119}, {}, QStringLiteral("ユーザー選択"), 27, black, 1);
    layoutRow("Label3", {520, 208}, {}, QStringLiteral("れんしゅうする"), 27, black, 1);
    layoutRow("Label2", {355, 303}, {}, QStringLiteral("きろくをみる"), 27, black, 1);
    layoutRow("Label5", {541, 391}, {}, QStringLiteral("さくじょする"), 27, black, 1);
    layoutRow("Label4", {381, 472}, {}, QStringLiteral("おわる"), 27, black, 1);
    layoutRow("Label7", {48, 40}, {}, QStringLiteral("先生用"), 37, black, 1);
    layoutRow("Image1", {512, 0}, {204, 114});
    layoutRow("Image2", {328, 78}, {204, 114});
    layoutRow("Image3", {504, 168}, {204, 114});
    layoutRow("Image4", {328, 264}, {204, 114});
    layoutRow("Image5", {504, 352}, {204, 114});
    layoutRow("Image6", {320, 432}, {204, 114});
    layoutRow("Image7", {8, 8}, {201, 113});
}

void TestMainMenu::layout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().mainMenu);
}

void TestMainMenu::window_data()
{
    testsupport::windowColumns();
    testsupport::windowRow("mainMenu", QStringLiteral("main"), testsupport::Kind::FullScreen);
}

void TestMainMenu::window()
{
    Program p;
    testsupport::checkWindow(p.screens());
}

void TestMainMenu::windowRules()
{
    Program p;
    TForm1 *menu = p.screens().mainMenu;
    // Every caption lies over its picture.
    QCOMPARE(menu->findChildren<ClickLabel *>().size(), 7);
    for (ClickLabel *l : menu->findChildren<ClickLabel *>()) {
        const QList<QWidget *> siblings = menu->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY2(std::any_of(siblings.begin(), siblings.end(), [&](QWidget *w) {
                     return qobject_cast<Picture *>(w) && w->geometry().contains(l->geometry().center())
                         && siblings.indexOf(w) < siblings.indexOf(l);
                 }), qPrintable(l->objectName()));
    }
    // Every screen is laid out as the program's table says.
    Screens &s = p.screens();
    QCOMPARE(s.login->windowTitle(), QStringLiteral("名前を選択してパスワードをいれてENTERを押してください"));
    QCOMPARE(s.registration->size(), QSize(499, 264));
    QCOMPARE(s.registration->pos(), QPoint(201, 142));
    QCOMPARE(s.flashScreen->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(s.resultSheet->font().pixelSize(), 24);
    QCOMPARE(s.studentsRecords->geometry(), QRect(QPoint(0, 0), display::currentSize()));
}

void TestMainMenu::userItemsFollowLogin()
{
    Program p;
    TForm1 *menu = p.screens().mainMenu;
    menu->Show();
    for (const char *name : kUserItems)
        QVERIFY2(!menu->findChild<QWidget *>(name)->isEnabled(), name);
    QTest::mouseClick(menu->findChild<QWidget *>("Label3"), Qt::LeftButton);
    QTest::mousePress(menu->findChild<QWidget *>("Image4"), Qt::LeftButton);
    QVERIFY(!p.screens().gradeSelection->isVisible());
    QVERIFY(!p.screens().ownRecords->isVisible());

    menu->setLoggedIn(true);
    QVERIFY(p.state().loggedIn);
    for (const char *name : kUserItems)
        QVERIFY2(menu->findChild<QWidget *>(name)->isEnabled(), name);
    menu->setLoggedIn(false);
    QVERIFY(!p.state().loggedIn);
    QVERIFY(!menu->findChild<QWidget *>("Label5")->isEnabled());
}

void TestMainMenu::items_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("press"); // a picture acts on a press, a caption on a click
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("shows"); // "" = nothing happens
    const int L = Qt::LeftButton, R = Qt::RightButton;
    QTest::newRow("とうろくする caption") << "Label1" << false << L << "registration";
    QTest::newRow("とうろくする picture, left") << "Image1" << true << L << "registration";
    QTest::newRow("とうろくする picture, right does nothing") << "Image1" << true << R << "";
    QTest::newRow("ユーザー選択 caption") << "Label6" << false << L << "login";
    QTest::newRow("ユーザー選択 picture, right does nothing") << "Image2" << true << R << "";
    QTest::newRow("ユーザー選択 picture, left") << "Image2" << true << L << "login";
    QTest::newRow("れんしゅうする picture, right acts") << "Image3" << true << R << "gradeSelection";
    QTest::newRow("れんしゅうする caption") << "Label3" << false << L << "gradeSelection";
    QTest::newRow("きろくをみる picture, right acts") << "Image4" << true << R << "ownRecords";
    QTest::newRow("さくじょする picture, right acts") << "Image5" << true << R << "userDeletion";
    QTest::newRow("さくじょする caption, right click does nothing") << "Label5" << false << R << "";
    QTest::newRow("先生用 picture, right acts") << "Image7" << true << R << "masterPasswordEntry";
    QTest::newRow("先生用 caption") << "Label7" << false << L << "masterPasswordEntry";
}

void TestMainMenu::items()
{
    QFETCH(QString, control);
    QFETCH(bool, press);
    QFETCH(int, button);
    QFETCH(QString, shows);
    Program p;
    TForm1 *menu = p.screens().mainMenu;
    menu->Show();
    menu->setLoggedIn(true);
    QWidget *w = menu->findChild<QWidget *>(control);
    QVERIFY(w);
    if (press)
        QTest::mousePress(w, Qt::MouseButton(button));
    else
        QTest::mouseClick(w, Qt::MouseButton(button));
    for (const char *name : {"registration", "login", "gradeSelection", "ownRecords", "userDeletion", "masterPasswordEntry"}) {
        Screen *s = target(p.screens(), name);
        QCOMPARE(s->isVisible(), name == shows);
    }
    if (!shows.isEmpty()) {
        QCOMPARE(p.app().activeScreen(), target(p.screens(), shows));
        QVERIFY(!p.app().modalRunning()); // every show from the menu is non-modal
    }
}

void TestMainMenu::masterPasswordDialogComesBackUntilSet()
{
    Program p{QByteArray()}; // an empty master password file, as installed
    int shown = 0;
    auto closeWhenShown = [&] {
        QTimer::singleShot(0, this, [&] {
            if (p.screens().masterPasswordSetup->isVisible() && p.app().modalRunning()) {
                ++shown;
                p.screens().masterPasswordSetup->Close(); // its close box
            }
        });
    };
    closeWhenShown();
    p.screens().mainMenu->Show();
    QCOMPARE(shown, 1);
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);

    // The menu becomes active again when a screen above it closes: the dialog comes back.
    p.screens().registration->Show();
    closeWhenShown();
    p.screens().registration->Close();
    QCOMPARE(shown, 2);

    // Once a password is stored, the dialog is not shown again.
    p.writeFile("user/master.psw", "sensei\r\n");
    p.screens().registration->Show();
    closeWhenShown();
    p.screens().registration->Close();
    QCOMPARE(shown, 2);
    QVERIFY(recorder().boxes.isEmpty());
}

void TestMainMenu::unreadableMasterPasswordFileReportsAndMenuStaysUsable()
{
    Program p;
    QFile::remove(p.path("user/master.psw"));
    QDir().mkpath(p.path("user/master.psw")); // a folder in its place: it cannot be read
    p.screens().mainMenu->Show();
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(int(recorder().boxes[0].kind), int(dialogs::Kind::Error));
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("検定用ぴかざん"));
    QVERIFY(recorder().boxes[0].text.contains("master.psw"));
    QVERIFY(!p.screens().masterPasswordSetup->isVisible());
    QTest::mouseClick(p.screens().mainMenu->findChild<QWidget *>("Label1"), Qt::LeftButton);
    QVERIFY(p.screens().registration->isVisible());
    p.screens().registration->Close(); // the menu is activated again: the check is tried again
    QCOMPARE(recorder().boxes.size(), 2);
}

void TestMainMenu::whatCannotBeWrittenIsSaidOnceBeforeTheMasterPasswordDialog()
{
    // A child's history that this account may not write: said when the program starts, before the
    // first start's master-password dialog, and not again when the menu comes back.
    if (!testsupport::runAsOrdinaryUser())
        return;
    Program p{QByteArray()};
    p.writeFile("user/hanako.dat", testsupport::cp932Lines({QStringLiteral("級/段,日付,正解数,不正解数,合否")}));
    QVERIFY(QFile::setPermissions(p.path("user/hanako.dat"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    qsizetype boxesBeforeDialog = -1;
    QTimer::singleShot(0, this, [&] {
        if (p.screens().masterPasswordSetup->isVisible() && p.app().modalRunning()) {
            boxesBeforeDialog = recorder().boxes.size();
            p.screens().masterPasswordSetup->Close();
        }
    });
    p.screens().mainMenu->Show();
    QCOMPARE(boxesBeforeDialog, 1);
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(int(recorder().boxes[0].kind), int(dialogs::Kind::Error));
    const QString text = recorder().boxes[0].text;
    QVERIFY2(text.contains(QStringLiteral("「user/hanako.dat」に書きこめません")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("学校の IT 担当の方に直してもらってください。")), qPrintable(text));

    p.writeFile("user/master.psw", "sensei\r\n");
    p.screens().registration->Show();
    p.screens().registration->Close();
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
    QCOMPARE(recorder().boxes.size(), 1);
}

void TestMainMenu::keptLinesLandAtTheFirstStart_data()
{
    QTest::addColumn<bool>("registered");
    QTest::newRow("the child is still registered: appended in order") << true;
    QTest::newRow("the teacher deleted the child: dropped and said") << false;
}

void TestMainMenu::keptLinesLandAtTheFirstStart()
{
    QFETCH(bool, registered);
    Program p;
    const QString line1 = QStringLiteral("１０級,2004/7/05,9,1,合格"), line2 = QStringLiteral("９級,2004/7/06,5,5,不合格");
    if (registered) {
        p.writeFile("user/hanako.dat", testsupport::cp932Lines({QStringLiteral("級/段,日付,正解数,不正解数,合否")}));
        p.writeFile("user/hanako.psw", testsupport::cp932Lines({QStringLiteral("pw")}));
    }
    pending::keep(pending::classroomHere(), QStringLiteral("hanako"), line1);
    pending::keep(pending::classroomHere(), QStringLiteral("hanako"), line2);
    p.screens().mainMenu->Show();
    p.screens().registration->Show();
    p.screens().registration->Close(); // the menu active again: nothing is appended twice
    for (const pending::Entry &e : pending::entries())
        QVERIFY(e.classroom != pending::classroomHere());
    if (registered) {
        QCOMPARE(recorder().boxes.size(), 0);
        QCOMPARE(p.readFile("user/hanako.dat"),
                 testsupport::cp932Lines({QStringLiteral("級/段,日付,正解数,不正解数,合否"), line1, line2}));
    } else {
        QCOMPARE(recorder().boxes.size(), 1);
        QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("hanako ") + line2), qPrintable(recorder().boxes[0].text));
        QVERIFY(!QFileInfo::exists(p.path("user/hanako.dat")));
    }
}

void TestMainMenu::quitClosesTheMenu()
{
    Program p;
    TForm1 *menu = p.screens().mainMenu;
    menu->Show();
    QTest::mousePress(menu->findChild<QWidget *>("Image6"), Qt::RightButton); // おわる: any button
    QVERIFY(!menu->isVisible());
    QVERIFY(!p.app().isOpen(menu));
}

PZ_GUI_TEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
