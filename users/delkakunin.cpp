#include "users/delkakunin.h"

#include "records/mastergate.h"
#include "shell/app.h"
#include "shell/dialogs.h"
#include "shell/kit.h"
#include "shell/widgets.h"
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

void TForm15::Label1Click()
{
    TForm13 *teacher = screens().studentsRecords;
    const QString name = teacher->shownUser();
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
    teacher->userDeleted(name);
    Close();
    if (result.error)
        throw *result.error; // the user is gone, but say which file is left
}

void TForm15::Label2Click() { Close(); }
