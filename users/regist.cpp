#include "users/regist.h"

#include "base/errors.h"
#include "kit/CuteBtn.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/widgets.h"
#include "users/userstore.h"

#include <QLineEdit>

TForm7::TForm7()
    : Screen({.title = QStringLiteral("とうろく"), .kind = Kind::Dialog, .size = QSize(499, 264), .pos = QPoint(201, 142)})
{
}

void TForm7::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("なまえ"), {16, 16}, 24, Qt::white);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("パスワード"), {16, 112}, 24, Qt::white);

    // The name keeps the input method for kana; the password is typed in clear, without one.
    Edit1 = kit::field(this, "Edit1", {16, 40, 465, 56}, 48);
    Edit2 = kit::field(this, "Edit2", {16, 136, 465, 56}, 48, kit::Echo::Plain, kit::InputMethod::Off);
    kit::onKeyPress(Edit1, [this](int &key) { Edit1KeyPress(key); });
    kit::onKeyPress(Edit2, [this](int &key) { Edit2KeyPress(key); });

    kit::cuteButtons(this, {
        {{"CuteButton1", &CuteButton1}, QStringLiteral("とうろくする"), {16, 208, 169, 41}, 24,
         [this](QObject *sender) { CuteButton1Click(sender); }},
        {{"CuteButton2", &CuteButton2}, QStringLiteral("とじる"), {312, 208, 169, 41}, 24,
         [this](QObject *sender) { CuteButton2Click(sender); }},
    });

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, CuteButton2);
    setTabOrder(CuteButton2, CuteButton1);
}

void TForm7::FormActivate() { Edit1->setFocus(); }

void TForm7::FormCloseQuery()
{
    Edit1->clear();
    Edit2->clear();
}

void TForm7::Edit1KeyPress(int &key)
{
    if (key == kit::kEnter) {
        Edit2->setFocus();
        key = 0;
    }
}

void TForm7::Edit2KeyPress(int &key)
{
    if (key == kit::kEnter) {
        CuteButton1->setFocus();
        key = 0;
    }
}

void TForm7::CuteButton1Click(QObject *)
{
    // Refuses empty fields, unusable names and passwords and a name in use without writing anything;
    // a file failure throws and leaves no half-registered user behind.
    const QString refusal = userstore::createUser(Edit1->text(), Edit2->text());
    if (!refusal.isEmpty()) {
        dialogs::warn(refusal);
        return;
    }
    Edit1->clear();
    Edit2->clear();
    dialogs::inform(QStringLiteral("登録しました"));
    Close();
}

void TForm7::CuteButton2Click(QObject *) { Close(); }
