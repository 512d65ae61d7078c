#include "users/usrselect.h"

#include "platform/errors.h"
#include "shell/dialogs.h"
#include "shell/kit.h"
#include "shell/main.h"
#include "shell/app.h"
#include "shell/widgets.h"
#include "users/userstore.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QStyledItemDelegate>

namespace {
// Every name gets the same row height, whatever the font's own line height.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(int height, QObject *parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }
private:
    int height_;
};
} // namespace

TForm9::TForm9()
    : Screen({.title = QStringLiteral("名前を選択してパスワードをいれてENTERを押してください"), .kind = Kind::Dialog, .size = QSize(409, 357), .pos = QPoint(174, 76)})
{
}

void TForm9::FormCreate()
{
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("名前を選択してください"), {8, 8}, 27, Qt::white);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 40, 393, 225);
    ListBox1->setFont(font(35, true));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setSortingEnabled(false);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setItemDelegate(new RowDelegate(35, ListBox1));
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    style::setColour(ListBox1, QPalette::Text, Qt::black);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, pz::guarded([this] { ListBox1Click(); }));

    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("パスワードをいれてください"), {8, 272}, 27, Qt::white);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 304, 393, 43);
    Edit1->setFont(font(35, true));
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; color: black; }")); // '*'
    // After the echo mode, which sets the input-method state of its own.
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, false);
    kit::onKeyPress(Edit1, [this](int &key) { Edit1KeyPress(key); });

    setTabOrder(ListBox1, Edit1);
}

void TForm9::FormActivate()
{
    // Who is registered now, in the folder's own order, nobody chosen yet.
    ListBox1->clear();
    ListBox1->addItems(userstore::listUsers());
    ListBox1->clearSelection();
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
    const QString typed = Edit1->text();
    if (!typed.isEmpty()) {
        if (const QString refusal = userstore::checkPassword(typed); !refusal.isEmpty()) {
            dialogs::warn(refusal);
            Edit1->clear();
            return;
        }
    }
    if (userstore::passwordMatches(userstore::readPassword(name), typed)) {
        state().userName = name;
        screens().form1->setLoggedIn(true);
        Edit1->clear();
        Close();
    } else {
        dialogs::warn(QStringLiteral("パワードが違います"));
        Edit1->clear();
    }
}
