#include "users/delkakunin.h"

#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/widgets.h"
#include "users/userstore.h"

TForm15::TForm15()
    : Screen({.title = QStringLiteral("確認"), .kind = Kind::SizeableDialog, .size = QSize(433, 182), .pos = QPoint(175, 177)})
{
}

void TForm15::FormCreate()
{
    Label3 = makeLabel(this, QStringLiteral("Label3"), QStringLiteral("削除してもよろしいですか？"), {8, 16}, 32, Qt::white);
    const QSize bar(153, 49);
    kit::buttons(this, {
        {{"Label1", &Label1}, {"Image1", &Image1}, QStringLiteral("はい"), {56, 80}, {16, 72}, bar, 35, Qt::AllButtons,
         [this] { Label1Click(); }},
        {{"Label2", &Label2}, {"Image2", &Image2}, QStringLiteral("いいえ"), {272, 80}, {248, 72}, bar, 35,
         Qt::AllButtons, [this] { Label2Click(); }},
    });
}

void TForm15::Ask(const QString &name)
{
    user_ = name;
    ShowModal();
}

void TForm15::Label1Click()
{
    const QString name = user_;
    if (name.isEmpty()) {
        Close(); // nobody chosen yet, or just deleted
        return;
    }
    const userstore::DeleteResult result = userstore::deleteUser(name);
    if (!result.refusal.isEmpty()) {
        Close();
        dialogs::warn(result.refusal); // nothing deleted; the user stays listed and shown
        return;
    }
    if (!result.userGone())
        throw *result.error; // the user stays listed and shown
    emit userDeleted(name);
    Close();
    if (result.error)
        throw *result.error; // the user is gone, but say which file is left
}

void TForm15::Label2Click() { Close(); }
