#include "drill/classmarksform.h"

#include "drill/classmarks.h"
#include "kit/CuteBtn.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "users/groups.h"
#include "users/userstore.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {
const QString kAll = QStringLiteral("全員");
}

TClassMarks::TClassMarks()
    : Screen({.title = QStringLiteral("結果を入れる"), .kind = Kind::Dialog, .size = QSize(560, 460), .pos = QPoint(120, 70)})
{
}

void TClassMarks::FormCreate()
{
    Title = makeLabel(this, QStringLiteral("Title"), QString(), {16, 12}, 18, Qt::white);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(16, 48, 240, 30);
    ComboBox1->setFont(style::font(16, true));
    connect(ComboBox1, &QComboBox::activated, this, pz::guarded([this](int) { ComboBox1Change(); }));
    ListBox1 = kit::nameList(this, "ListBox1", {16, 84, 240, 300}, 16, 20);
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("正解数"), {280, 84}, 24, Qt::white);
    Edit1 = kit::field(this, "Edit1", {280, 116, 120, 56}, 40, kit::Echo::Plain, kit::InputMethod::Off);
    kit::onKeyPress(Edit1, [this](int &key) { Edit1KeyPress(key); });
    Label2 = makeLabel(this, QStringLiteral("Label2"), QString(), {280, 190}, 16, Qt::white);
    Label2->setWordWrap(true);
    Label2->setFixedWidth(264);
    kit::cuteButtons(this, {
        {{"CuteButton1", &CuteButton1}, QStringLiteral("入れる"), {280, 330, 120, 41}, 24,
         [this](QObject *sender) { CuteButton1Click(sender); }},
        {{"CuteButton2", &CuteButton2}, QStringLiteral("とじる"), {424, 400, 120, 41}, 24,
         [this](QObject *sender) { CuteButton2Click(sender); }},
    });
}

void TClassMarks::Open(const classset::ClassSet &set, const QDateTime &shown)
{
    set_ = set;
    shown_ = shown;
    Title->setText(QStringLiteral("結果を入れる　%1（%2問）").arg(classset::heading(set)).arg(set.questions.size()));
    Title->adjustSize();
    ComboBox1->clear();
    ComboBox1->addItem(kAll);
    ComboBox1->addItems(groups::all());
    Label2->clear();
    Edit1->clear();
    fillList();
    ShowModal();
}

void TClassMarks::fillList()
{
    ListBox1->clear();
    const QString kumi = ComboBox1->currentIndex() > 0 ? ComboBox1->currentText() : QString();
    const QHash<QString, QString> all = kumi.isEmpty() ? QHash<QString, QString>() : groups::read();
    for (const QString &name : userstore::listUsers())
        if (groups::shown(all, name, kumi))
            ListBox1->addItem(name);
}

void TClassMarks::ComboBox1Change() { fillList(); }

void TClassMarks::Edit1KeyPress(int &key)
{
    if (key == kit::kEnter) {
        key = 0;
        CuteButton1Click(CuteButton1);
    }
}

void TClassMarks::CuteButton1Click(QObject *)
{
    const QList<QListWidgetItem *> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty()) {
        dialogs::warn(QStringLiteral("結果を入れる人を、名前から選んで下さい"));
        return;
    }
    const QString name = chosen.first()->text();
    bool ok = false;
    const int right = Edit1->text().trimmed().toInt(&ok);
    const int count = int(set_.questions.size());
    // Rules are the core's: a number the set cannot have, a child deleted meanwhile.
    const QString refusal = ok ? classmarks::enter(set_, shown_, name, right) : classmarks::checkRight(-1, count);
    if (!refusal.isEmpty()) {
        dialogs::warn(refusal);
        return;
    }
    Label2->setText(QStringLiteral("%1さん：%2問中 %3問正解（%4）を入れました")
                        .arg(name).arg(count).arg(right)
                        .arg(classmarks::passes(right, count) ? QStringLiteral("合格") : QStringLiteral("不合格")));
    Edit1->clear();
    // On to the next child, as the papers lie in the list's order; after the last, nobody, so that
    // a second 入れる never enters a mark twice.
    const int row = ListBox1->row(chosen.first());
    if (row + 1 < ListBox1->count())
        ListBox1->setCurrentRow(row + 1);
    else
        ListBox1->clearSelection();
    Edit1->setFocus();
}

void TClassMarks::CuteButton2Click(QObject *) { Close(); }
