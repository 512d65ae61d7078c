#include "users/masterpass.h"

#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/widgets.h"
#include "users/names.h"
#include "users/userstore.h"

#include <QLineEdit>

TForm12::TForm12()
    : Screen({.title = QStringLiteral("パスワードを入れてENTERを押してください"), .kind = Kind::Dialog, .size = QSize(418, 318), .pos = QPoint(187, 141)})
{
}

void TForm12::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("マスターパスワードを決めて下さい"), {16, 16}, 24, Qt::white);
    // Hidden, so that nobody behind the teacher reads it; typed as plain characters, never composed.
    Edit1 = kit::field(this, "Edit1", {26, 48, 361, 72}, 64, kit::Echo::Masked, kit::InputMethod::Off);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("もういちど入れて下さい"), {16, 128}, 24, Qt::white);
    Edit2 = kit::field(this, "Edit2", {26, 160, 361, 72}, 64, kit::Echo::Masked, kit::InputMethod::Off);
    Label3 = makeLabel(this, QStringLiteral("Label3"),
                       QStringLiteral("忘れたときは、コンピュータの係の人が\n"
                                      "pikazan --set-master-password\n"
                                      "で決めなおします。"),
                       {16, 244}, 18, Qt::white, false);
    for (QLineEdit *e : {Edit1, Edit2})
        e->setMaxLength(names::kPasswordMaxLength);
    kit::passwordTwice(Edit1, Edit2, [this](const QString &typed) { return firstTyped(typed); }, [this] { secondTyped(); });
}

void TForm12::FormActivate() { Edit1->setFocus(); }

bool TForm12::firstTyped(const QString &typed)
{
    // An empty entry is stored as it is: it still means "not set", and the dialog comes back.
    if (typed.isEmpty()) {
        store(typed);
        return false;
    }
    // Anything else must read back the same, or the teacher could never type it again.
    if (const QString refusal = names::checkPassword(typed); !refusal.isEmpty()) {
        dialogs::warn(refusal);
        return false;
    }
    return true;
}

void TForm12::secondTyped()
{
    if (!kit::sameTwice(Edit1, Edit2))
        return;
    const QString typed = Edit1->text();
    if (!typed.isEmpty()) {
        if (const QString refusal = names::checkPassword(typed); !refusal.isEmpty()) {
            dialogs::warn(refusal);
            return;
        }
    }
    store(typed);
}

void TForm12::store(const QString &typed)
{
    // On failure (thrown) the dialog stays open with its text. Set meanwhile (--set-master-password,
    // or another PC of the room): that one stays, and what was typed here is dropped.
    const bool written = userstore::createMasterPassword(typed);
    Edit1->clear();
    Edit2->clear();
    Close();
    if (!written)
        dialogs::warn(QStringLiteral("マスターパスワードは、その間にほかのところで決められました。\nいま入れたパスワードは使われません。"));
    else if (!typed.isEmpty())
        dialogs::inform(QStringLiteral("マスターパスワードを決めました"));
}
