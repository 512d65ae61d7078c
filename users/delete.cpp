#include "users/delete.h"

#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/widgets.h"
#include "users/passwordrules.h"
#include "users/roster.h"
#include "users/userstore.h"

#include <QLabel>
#include <QLineEdit>

namespace {
const QString kInstruction = QStringLiteral("マスターパスワードを入れてENTERを押して下さい");
}

TForm10::TForm10()
    : Screen({.title = QStringLiteral("削除"), .kind = Kind::Dialog, .size = QSize(488, 200), .pos = QPoint(150, 155)})
{
}

void TForm10::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("さんの"), {8, 8}, 29, Qt::white);
    Label3 = makeLabel(this, QStringLiteral("Label3"), QStringLiteral("記録を削除します"), {144, 40}, 29, Qt::white);
    Label2 = makeLabel(this, QStringLiteral("Label2"), kInstruction, {8, 112}, 21, style::kRed);

    Edit1 = kit::field(this, "Edit1", {8, 144, 385, 43}, 35, kit::Echo::Masked);
    kit::onKeyPress(Edit1, [this](int &key) { Edit1KeyPress(key); });
}

void TForm10::FormActivate()
{
    Label1->setText(state().userName + QStringLiteral("さんの"));
    Label1->adjustSize();
    Label2->setText(kInstruction);
    Edit1->setFocus();
}

void TForm10::FormCloseQuery() { Edit1->clear(); }

void TForm10::Edit1KeyPress(int &key)
{
    if (key != kit::kEnter)
        return;
    key = 0;
    const QString typed = Edit1->text();
    Edit1->clear();
    // Read afresh at every Enter; a missing, unreadable or damaged file stops here with nothing
    // deleted.
    if (!passwordrules::mayDelete(userstore::readMasterPassword(userstore::IfMissing::Fail), typed)) {
        dialogs::warn(passwordrules::wrongPassword());
        return;
    }
    const userstore::DeleteResult result = roster::deleteChild(state().userName);
    if (!result.refusal.isEmpty()) {
        dialogs::warn(result.refusal); // nothing deleted; the child stays logged in
        return;
    }
    if (!result.userGone())
        throw *result.error; // the child stays registered and logged in
    Close();
    setLoggedIn(false);
    if (result.error)
        throw *result.error; // the user is gone, but "削除しました" would hide the file left behind
    dialogs::informDeleted(QStringLiteral("削除しました"));
}
