// The main menu: its items, the login mirror, which buttons act, and the master-password check.
#include "support/testmain.h"

#include "shell/main.h"
#include "shell/widgets.h"
#include "users/masterpass.h"
#include "users/regist.h"
#include "users/usrselect.h"

using testsupport::Program;
using testsupport::recorder;

class TestMainMenu : public QObject {
    Q_OBJECT
private slots:
    void userItemsFollowLogin();
};

void TestMainMenu::userItemsFollowLogin()
{
    Program p;
    TForm1 *menu = p.screens().form1;
    menu->Show();
    for (const char *name : {"Label3", "Image3", "Label2", "Image4", "Label5", "Image5"})
        QVERIFY2(!menu->findChild<QWidget *>(name)->isEnabled(), name);
    menu->setLoggedIn(true);
    QVERIFY(p.state().loggedIn);
    for (const char *name : {"Label3", "Image3", "Label2", "Image4", "Label5", "Image5"})
        QVERIFY2(menu->findChild<QWidget *>(name)->isEnabled(), name);
}

PZ_GUI_TEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
