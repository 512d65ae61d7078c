#include "users/rosterimport.h"

#include "base/errors.h"
#include "kit/CuteBtn.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "platform/textfile.h"
#include "users/logincards.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QRandomGenerator>

#include <cerrno>

namespace {
const QString kBegin = QStringLiteral("名簿のファイル（1行に1人：名前、パスワード、組）を選んで下さい");

TRosterImport::ListChooser &chooser()
{
    static TRosterImport::ListChooser c;
    return c;
}
} // namespace

void TRosterImport::setListChooser(ListChooser c) { chooser() = std::move(c); }

TRosterImport::TRosterImport()
    : Screen({.title = QStringLiteral("名簿から登録"), .kind = Kind::Dialog, .size = QSize(640, 480), .pos = QPoint(80, 60)})
{
}

void TRosterImport::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), kBegin, {16, 12}, 16, Qt::white);
    ListBox1 = kit::nameList(this, "ListBox1", {16, 40, 608, 320}, 14, 22);
    ListBox1->setSelectionMode(QAbstractItemView::NoSelection);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QString(), {16, 370}, 18, Qt::white);
    kit::cuteButtons(this, {
        {{"CuteButton1", &CuteButton1}, QStringLiteral("ファイルを選ぶ"), {16, 420, 200, 41}, 20,
         [this](QObject *sender) { CuteButton1Click(sender); }},
        {{"CuteButton2", &CuteButton2}, QStringLiteral("登録する"), {232, 420, 180, 41}, 20,
         [this](QObject *sender) { CuteButton2Click(sender); }},
        {{"CuteButton3", &CuteButton3}, QStringLiteral("とじる"), {444, 420, 180, 41}, 20,
         [this](QObject *sender) { CuteButton3Click(sender); }},
    });
}

void TRosterImport::FormCloseQuery()
{
    file_.clear();
    plan_ = {};
    showPlan();
}

void TRosterImport::Open()
{
    FormCloseQuery();
    ShowModal();
}

void TRosterImport::CuteButton1Click(QObject *)
{
    const QString file = chooser() ? chooser()()
                                   : QFileDialog::getOpenFileName(this, QStringLiteral("名簿"), QDir::homePath(),
                                                                  QStringLiteral("名簿 (*.txt *.csv);;すべてのファイル (*)"));
    if (file.isEmpty())
        return;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw pz::IoError::fromErrno(file, errno ? errno : EIO);
    file_ = file;
    plan_ = roster::plan(roster::parse(f.read(textfile::kMaxBytes)),
                         [](int n) { return int(QRandomGenerator::system()->bounded(n)); });
    showPlan();
}

void TRosterImport::CuteButton2Click(QObject *)
{
    if (plan_.count(roster::Outcome::New) == 0) {
        dialogs::warn(file_.isEmpty() ? kBegin : QStringLiteral("この名簿には、新しく登録する人がいません"));
        return;
    }
    // Registered meanwhile (another PC): nothing is written, and the list is judged again.
    if (const QString refusal = roster::carryOut(plan_); !refusal.isEmpty()) {
        dialogs::warn(refusal + QStringLiteral("\nだれも登録していません。名簿をもういちど選んで下さい。"));
        return;
    }
    const QList<logincards::Card> cards = logincards::cardsOf(plan_);
    emit usersAdded();
    Close();
    dialogs::inform(QStringLiteral("%1人を登録しました。\nつぎに、ログインカードを保存します。").arg(cards.size()));
    if (!logincards::save(this, cards))
        dialogs::warn(QStringLiteral("ログインカードを保存しませんでした。\n作ったパスワードは、「パスワードを変える」で決めなおせます。"));
}

void TRosterImport::CuteButton3Click(QObject *) { Close(); }

void TRosterImport::showPlan()
{
    ListBox1->clear();
    if (file_.isEmpty()) {
        Label1->setText(kBegin);
        Label2->clear();
        return;
    }
    Label1->setText(file_);
    for (const roster::Entry &e : plan_.entries) {
        auto *item = new QListWidgetItem(roster::describe(e), ListBox1);
        if (e.outcome != roster::Outcome::New)
            item->setForeground(style::kRed);
    }
    Label2->setText(QStringLiteral("新しく登録 %1人・登録ずみ %2人・登録しない %3行")
                        .arg(plan_.count(roster::Outcome::New))
                        .arg(plan_.count(roster::Outcome::Registered))
                        .arg(plan_.count(roster::Outcome::Refused)));
    Label2->adjustSize();
    Label1->adjustSize();
}
