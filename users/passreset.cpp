#include "users/passreset.h"

#include "kit/CuteBtn.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "users/names.h"
#include "users/userstore.h"

#include <QLabel>
#include <QLineEdit>

namespace {
const QString kTitleEnd = QStringLiteral("さんの新しいパスワード");
}

TPassReset::TPassReset()
    : Screen({.title = QStringLiteral("パスワードを変える"), .kind = Kind::Dialog, .size = QSize(458, 300), .pos = QPoint(171, 150)})
{
}

void TPassReset::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), kTitleEnd, {16, 16}, 24, Qt::white);
    // Hidden, as the master password is: the child may stand beside the teacher.
    Edit1 = kit::field(this, "Edit1", {16, 48, 425, 56}, 40, kit::Echo::Masked, kit::InputMethod::Off);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("もういちど入れて下さい"), {16, 116}, 24, Qt::white);
    Edit2 = kit::field(this, "Edit2", {16, 148, 425, 56}, 40, kit::Echo::Masked, kit::InputMethod::Off);
    for (QLineEdit *e : {Edit1, Edit2})
        e->setMaxLength(names::kPasswordMaxLength);
    kit::passwordTwice(Edit1, Edit2, [](const QString &typed) { return usable(typed); },
                       [this] { CuteButton1Click(CuteButton1); });
    kit::cuteButtons(this, {
        {{"CuteButton1", &CuteButton1}, QStringLiteral("変える"), {16, 236, 169, 41}, 24,
         [this](QObject *sender) { CuteButton1Click(sender); }},
        {{"CuteButton2", &CuteButton2}, QStringLiteral("とじる"), {272, 236, 169, 41}, 24,
         [this](QObject *sender) { CuteButton2Click(sender); }},
    });
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, CuteButton1);
    setTabOrder(CuteButton1, CuteButton2);
}

void TPassReset::FormActivate() { Edit1->setFocus(); }

void TPassReset::FormCloseQuery()
{
    Edit1->clear();
    Edit2->clear();
}

void TPassReset::Ask(const QString &name)
{
    // Nobody chosen: nothing to change, and the teacher is told what to do first.
    if (name.isEmpty()) {
        dialogs::warn(QStringLiteral("パスワードを変える人を、左の名前から選んで下さい"));
        return;
    }
    user_ = name;
    Label1->setFont(style::narrowedToFit(style::font(24, true), name + kTitleEnd, width() - 2 * Label1->x()));
    Label1->setText(name + kTitleEnd);
    Label1->adjustSize();
    ShowModal();
}

bool TPassReset::usable(const QString &typed)
{
    if (const QString refusal = names::checkPassword(typed); !refusal.isEmpty()) {
        dialogs::warn(refusal);
        return false;
    }
    return true;
}

void TPassReset::CuteButton1Click(QObject *)
{
    if (!kit::sameTwice(Edit1, Edit2))
        return;
    const QString typed = Edit1->text();
    // The rules are the store's: the password registration would take, a child still registered.
    if (const QString refusal = userstore::setPassword(user_, typed); !refusal.isEmpty()) {
        dialogs::warn(refusal);
        return;
    }
    Close();
    dialogs::inform(QStringLiteral("%1さんのパスワードを変えました").arg(user_));
}

void TPassReset::CuteButton2Click(QObject *) { Close(); }
