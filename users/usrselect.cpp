#include "users/usrselect.h"

#include "base/errors.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/app.h"
#include "kit/widgets.h"
#include "users/passwordrules.h"
#include "users/userstore.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace {
// Wide enough for the whole title on a window manager's title bar (openbox cut it from the middle at
// 409), and centred where the 409 px window was.
constexpr int kWidth = 460;
} // namespace

TForm9::TForm9()
    : Screen({.title = QStringLiteral("名前を選択してパスワードをいれてENTERを押してください"), .kind = Kind::Dialog,
              .size = QSize(kWidth, 357), .pos = QPoint(174 + (409 - kWidth) / 2, 76)})
{
}

void TForm9::FormCreate()
{
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("名前を選択してください"), {8, 8}, 27, Qt::white);

    ListBox1 = kit::nameList(this, "ListBox1", {8, 40, kWidth - 16, 225}, 35, 35);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, pz::guarded([this] { ListBox1Click(); }));
    // A click on the name already chosen changes no selection, and would leave the keyboard in the
    // list (after a wrong password the name stays chosen).
    connect(ListBox1, &QListWidget::clicked, this, pz::guarded([this] { ListBox1Click(); }));

    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("パスワードをいれてください"), {8, 272}, 27, Qt::white);

    Edit1 = kit::field(this, "Edit1", {8, 304, kWidth - 16, 43}, 35, kit::Echo::Masked);
    kit::onKeyPress(Edit1, [this](int &key) { Edit1KeyPress(key); });

    setTabOrder(ListBox1, Edit1);
}

void TForm9::FormActivate()
{
    // Who is registered now, in the folder's own order, nobody chosen yet.
    ListBox1->clear();
    ListBox1->addItems(userstore::listUsers());
    ListBox1->setFocus();
}

void TForm9::FormCloseQuery()
{
    ListBox1->clear();
    Edit1->clear();
}

void TForm9::ListBox1Click()
{
    if (!ListBox1->selectedItems().isEmpty())
        Edit1->setFocus();
}

void TForm9::Edit1KeyPress(int &key)
{
    if (key != kit::kEnter)
        return;
    key = 0;
    const QList<QListWidgetItem *> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty()) {
        dialogs::warn(QStringLiteral("なまえをえらんでからパスワードをいれてください"));
        ListBox1->setFocus();
        return;
    }
    const QString name = chosen.first()->text();
    const passwordrules::Login login =
        passwordrules::login(Edit1->text(), [&] { return userstore::readPassword(name); });
    switch (login.outcome) {
    case passwordrules::Login::Outcome::LoggedIn:
        state().userName = name;
        setLoggedIn(true);
        Edit1->clear();
        Close();
        break;
    case passwordrules::Login::Outcome::Refused:
        dialogs::warn(login.refusal);
        Edit1->clear();
        break;
    case passwordrules::Login::Outcome::Wrong:
        dialogs::warn(passwordrules::wrongPassword());
        Edit1->clear();
        break;
    }
}
