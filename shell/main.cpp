#include "shell/main.h"

#include "drill/option.h"
#include "platform/display.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "records/kiroku.h"
#include "shell/app.h"
#include "shell/artwork.h"
#include "shell/ChDisp.h"
#include "shell/widgets.h"
#include "users/delete.h"
#include "users/masterpass.h"
#include "users/mstgtpass.h"
#include "users/regist.h"
#include "users/userstore.h"
#include "users/usrselect.h"

TForm1::TForm1() : Screen({QStringLiteral("main"), Kind::FullScreenMaximised}) {}

void TForm1::FormCreate()
{
    ChDisplay1 = new TChDisplay(this);
    ChDisplay1->setAutoReset(true);
    ChDisplay1->GetDisplayMode(savedWidth_, savedHeight_, savedBitsPerPixel_);
    sizeToDisplay(); // measured before the switch, as the program always has
    if (ChDisplay1->ChangeDisplayMode(800, 600, 0) && (savedWidth_ != 800 || savedHeight_ != 600))
        display::armCrashGuard(savedWidth_, savedHeight_);

    struct Item {
        ClickLabel *&label;
        Picture *&picture;
        const char *labelName, *pictureName, *text;
        QPoint labelAt, pictureAt;
        QSize size;
        int px;
        Qt::MouseButtons buttons;
        void (TForm1::*action)();
        bool userItem;
    };
    const Qt::MouseButtons left = Qt::LeftButton, any = Qt::AllButtons;
    const Item items[] = {
        {Label1, Image1, "Label1", "Image1", "とうろくする", {541, 39}, {512, 0}, {204, 114}, 27, left, &TForm1::Label1Click, false},
        {Label6, Image2, "Label6", "Image2", "ユーザー選択", {341, 119}, {328, 78}, {204, 114}, 27, left, &TForm1::Label6Click, false},
        {Label3, Image3, "Label3", "Image3", "れんしゅうする", {520, 208}, {504, 168}, {204, 114}, 27, any, &TForm1::Label3Click, true},
        {Label2, Image4, "Label2", "Image4", "きろくをみる", {355, 303}, {328, 264}, {204, 114}, 27, any, &TForm1::Label2Click, true},
        {Label5, Image5, "Label5", "Image5", "さくじょする", {541, 391}, {504, 352}, {204, 114}, 27, any, &TForm1::Label5Click, true},
        {Label4, Image6, "Label4", "Image6", "おわる", {381, 472}, {320, 432}, {204, 114}, 27, any, &TForm1::Label4Click, false},
        {Label7, Image7, "Label7", "Image7", "先生用", {48, 40}, {8, 8}, {201, 113}, 37, any, &TForm1::Label7Click, false},
    };
    // Pictures first, so that every caption lies over its picture.
    for (const Item &it : items)
        it.picture = new Picture(this, QString::fromLatin1(it.pictureName), artwork::button(it.size), it.pictureAt, it.buttons);
    for (const Item &it : items) {
        it.label = new ClickLabel(this, QString::fromLatin1(it.labelName), QString::fromUtf8(it.text), it.labelAt, it.px);
        const auto action = it.action;
        connect(it.label, &ClickLabel::clicked, this, pz::guarded([this, action] { (this->*action)(); }));
        connect(it.picture, &Picture::pressed, this, pz::guarded([this, action] { (this->*action)(); }));
    }
    setLoggedIn(false);
}

void TForm1::setLoggedIn(bool loggedIn)
{
    state().loggedIn = loggedIn;
    for (QWidget *w : std::initializer_list<QWidget *>{Label3, Image3, Label2, Image4, Label5, Image5})
        w->setEnabled(loggedIn);
}

void TForm1::FormActivate()
{
    Image7->setVisible(true);
    Label7->setVisible(true);
    const QString master = textfile::readFirstLine(userstore::masterPasswordPath());
    if (master.isEmpty())
        screens().form12->ShowModal();
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
    restoreDisplayMode();
    // Closing the main screen ends the program.
    app().endProgram();
}

void TForm1::Label1Click() { screens().form7->Show(); }
void TForm1::Label6Click() { screens().form9->Show(); }
void TForm1::Label3Click() { screens().form3->Show(); }
void TForm1::Label2Click() { screens().form8->Show(); }
void TForm1::Label5Click() { screens().form10->Show(); }
void TForm1::Label4Click() { Close(); }
void TForm1::Label7Click() { screens().form14->Show(); }
