#include "users/masterpass.h"

#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/widgets.h"
#include "users/names.h"
#include "users/userstore.h"

#include <QLineEdit>

TForm12::TForm12()
    : Screen({.title = QStringLiteral("パスワードを入れてENTERを押してください"), .kind = Kind::Dialog, .size = QSize(418, 143), .pos = QPoint(187, 211)})
{
}

void TForm12::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("マスターパスワードを決めて下さい"), {16, 16}, 24, Qt::white);

    // Shown in clear; a password is typed as plain characters, never composed.
    Edit1 = kit::field(this, "Edit1", {26, 48, 361, 72}, 64, kit::Echo::Plain, kit::InputMethod::Off);
    Edit1->setMaxLength(names::kPasswordMaxLength);
    kit::onKeyPress(Edit1, [this](int &key) { Edit1KeyPress(key); });
}

void TForm12::FormActivate() { Edit1->setFocus(); }

void TForm12::Edit1KeyPress(int &key)
{
    if (key != kit::kEnter)
        return;
    key = 0;
    const QString typed = Edit1->text();
    // An empty entry is stored as it is: it still means "not set", and the dialog comes back.
    // Anything else must read back the same, or the teacher could never type it again.
    if (!typed.isEmpty()) {
        if (const QString refusal = names::checkPassword(typed); !refusal.isEmpty()) {
            dialogs::warn(refusal);
            return;
        }
    }
    // On failure the dialog stays open with its text. Set meanwhile (--set-master-password, or
    // another PC of the room): that one stays, and what was typed here is dropped.
    const bool written = userstore::createMasterPassword(typed);
    Edit1->clear();
    Close();
    if (!written)
        dialogs::warn(QStringLiteral("マスターパスワードは、その間にほかのところで決められました。\nいま入れたパスワードは使われません。"));
}
