#include "shell/main.h"

#include "base/classroom.h"
#include "drill/kotae.h"
#include "platform/display.h"
#include "base/errors.h"
#include "kit/app.h"
#include "kit/ChDisp.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "users/accesscheck.h"
#include "users/pending.h"
#include "users/userstore.h"

#include <QDir>
#include <QLabel>

namespace {
// From the left edge to just before the menu's nearest picture (x 320).
constexpr int kUserNameRoom = 300;
} // namespace

TForm1::TForm1() : Screen({.title = QStringLiteral("main"), .kind = Kind::FullScreenMaximised}) {}

void TForm1::FormCreate()
{
    ChDisplay1 = new TChDisplay(this);
    ChDisplay1->setAutoReset(true);
    ChDisplay1->GetDisplayMode(savedWidth_, savedHeight_, savedBitsPerPixel_);
    sizeToDisplay(); // the size before the switch; shown maximised, the menu takes the new one
    // A machine set to scale keeps its display as it is (an LCD panel or a projector at its own size).
    if (!display::neverSwitch() && ChDisplay1->ChangeDisplayMode(800, 600, 0) && (savedWidth_ != 800 || savedHeight_ != 600))
        display::armCrashGuard(savedWidth_, savedHeight_);

    const Qt::MouseButtons left = Qt::LeftButton, any = Qt::AllButtons;
    const QSize big(204, 114);
    kit::buttons(this, {
        {{"Label1", &Label1}, {"Image1", &Image1}, QStringLiteral("とうろくする"), {541, 39}, {512, 0}, big, 27, left,
         [this] { Label1Click(); }},
        {{"Label6", &Label6}, {"Image2", &Image2}, QStringLiteral("ユーザー選択"), {341, 119}, {328, 78}, big, 27, left,
         [this] { Label6Click(); }},
        {{"Label3", &Label3}, {"Image3", &Image3}, QStringLiteral("れんしゅうする"), {520, 208}, {504, 168}, big, 27, any,
         [this] { Label3Click(); }},
        {{"Label2", &Label2}, {"Image4", &Image4}, QStringLiteral("きろくをみる"), {355, 303}, {328, 264}, big, 27, any,
         [this] { Label2Click(); }},
        {{"Label5", &Label5}, {"Image5", &Image5}, QStringLiteral("さくじょする"), {541, 391}, {504, 352}, big, 27, any,
         [this] { Label5Click(); }},
        {{"Label4", &Label4}, {"Image6", &Image6}, QStringLiteral("おわる"), {381, 472}, {320, 432}, big, 27, any,
         [this] { Label4Click(); }},
        {{"Label7", &Label7}, {"Image7", &Image7}, QStringLiteral("先生用"), {48, 40}, {8, 8}, {201, 113}, 37, any,
         [this] { Label7Click(); }},
    });
    UserCaption = makeLabel(this, QStringLiteral("UserCaption"), QStringLiteral("いま れんしゅうする人"), {16, 150}, 21, Qt::white);
    UserName = makeLabel(this, QStringLiteral("UserName"), QString(), {16, 180}, 32, Qt::white);
    state().loggedIn = false;
    loginChanged();
}

void TForm1::loginChanged()
{
    const bool loggedIn = state().loggedIn;
    for (QWidget *w : std::initializer_list<QWidget *>{Label3, Image3, Label2, Image4, Label5, Image5})
        w->setEnabled(loggedIn);
    const QString name = loggedIn ? state().userName : QString();
    UserCaption->setVisible(!name.isEmpty());
    UserName->setVisible(!name.isEmpty());
    showUserName(UserName, name, kUserNameRoom);
}

void TForm1::FormActivate()
{
    Image7->setVisible(true);
    Label7->setVisible(true);
    // Once per start, before anything is asked of anybody: what this account cannot write here is
    // said now, not by an error box after a child's drill.
    if (!accessChecked_) {
        accessChecked_ = true;
        if (const QString text = accesscheck::message(accesscheck::problems(), Classroom::inUse().root()); !text.isEmpty())
            dialogs::errorBox(text);
        // Lines an earlier run could not write here follow, now that the folder has been looked at.
        // From the event loop in short batches: a thousand of them must not hold the menu back.
        pending::flushHereInSteps([](const QString &message) { pz::guard([&] { dialogs::warn(message); }); });
    }
    // A missing file counts as an empty one: the dialog that creates it comes up.
    if (userstore::readMasterPassword().isEmpty())
        asScreen(screens().masterPasswordSetup)->ShowModal();
}

void TForm1::restoreDisplayMode()
{
    if (restored_)
        return;
    restored_ = true;
    ChDisplay1->ChangeDisplayMode(savedWidth_, savedHeight_, savedBitsPerPixel_);
    display::disarmCrashGuard();
}

void TForm1::FormCloseQuery()
{
    // A finished drill whose line the result sheet has not written yet is not lost on the way out.
    pz::guard([this] { screens().resultSheet->recordFinishedDrill(); });
    restoreDisplayMode();
    // Closing the main screen ends the program.
    App::instance()->endProgram();
}

void TForm1::Label1Click() { asScreen(screens().registration)->Show(); }
void TForm1::Label6Click() { asScreen(screens().login)->Show(); }
void TForm1::Label3Click() { asScreen(screens().gradeSelection)->Show(); }
void TForm1::Label2Click() { asScreen(screens().ownRecords)->Show(); }
void TForm1::Label5Click() { asScreen(screens().userDeletion)->Show(); }
void TForm1::Label4Click() { Close(); }
void TForm1::Label7Click()
{
    // No door to the teacher's screen while there is no master password (emptied or removed since
    // the last activation): the dialog that creates one comes first.
    if (userstore::readMasterPassword().isEmpty())
        asScreen(screens().masterPasswordSetup)->ShowModal();
    else
        asScreen(screens().masterPasswordEntry)->Show();
}
