#include "users/mstgtpass.h"

#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/widgets.h"
#include "users/names.h"
#include "users/passwordrules.h"
#include "users/userstore.h"

#include <QLineEdit>

TForm14::TForm14()
    : Screen({.title = QStringLiteral("マスターパスワードを入れてENTERを押して下さい"), .kind = Kind::Dialog, .size = QSize(478, 177), .pos = QPoint(178, 184)})
{
}

void TForm14::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("マスターパスワードを入れて下さい"), {16, 32}, 29, Qt::white);

    Edit1 = kit::field(this, "Edit1", {16, 80, 441, 72}, 64, kit::Echo::Masked);
    Edit1->setMaxLength(names::kPasswordMaxLength);
    kit::onKeyPress(Edit1, [this](int &key) { Edit1KeyPress(key); });
}

void TForm14::FormActivate() { Edit1->setFocus(); }

// A master password typed and left behind with the close box must not open the teacher's screen
// for the next person who presses Enter here.
void TForm14::FormCloseQuery() { Edit1->clear(); }

void TForm14::Edit1KeyPress(int &key)
{
    if (key != kit::kEnter)
        return;
    key = 0;
    // Read afresh at every Enter. While none is set (the file emptied or removed since the menu looked)
    // nothing typed opens the teacher's screen: the main menu asks for a new one first.
    const passwordrules::Teacher door = passwordrules::teacherDoor(userstore::readMasterPassword(), Edit1->text());
    Edit1->clear();
    switch (door) {
    case passwordrules::Teacher::NotSet:
        // Said first: the menu, active again once this closes, then offers to choose one.
        dialogs::warn(QStringLiteral("マスターパスワードが決められていません。\nメニューの「先生用」から決めて下さい。"));
        Close();
        break;
    case passwordrules::Teacher::Opens:
        asScreen(screens().studentsRecords)->Show();
        Close();
        break;
    case passwordrules::Teacher::Wrong:
        dialogs::warn(passwordrules::wrongPassword());
        break;
    }
}
