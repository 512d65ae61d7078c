#include "records/mastergate.h"

#include "base/errors.h"
#include "drill/pacecheckwindow.h"
#include "records/certificate.h"
#include "records/classoverview.h"
#include "records/pacemarks.h"
#include "records/recordgrid.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "users/delkakunin.h"
#include "users/passreset.h"
#include "users/rosterimport.h"
#include "users/groups.h"
#include "users/userstore.h"

#include <QComboBox>

#include <QLabel>
#include <QListWidget>

namespace {
const QString kTitleEnd = QStringLiteral("さんの記録");
const QString kAll = QStringLiteral("全員");
// Two lines, broken where they read well, set close so that they fit the band under the title.
const QString kLateLegend = QStringLiteral("<div style=\"line-height: 14px\">色のついた行：パソコンがいそがしく、<br>"
                                           "数字がおくれて出たかもしれない回（ずれあり）</div>");

} // namespace

TForm13::TForm13()
    : Screen({.title = QStringLiteral("生徒の記録"), .kind = Kind::FullScreen})
{
}

void TForm13::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QString(), {8, 16}, 24, Qt::white);
    const QSize big(121, 73), small(81, 65);
    const Qt::MouseButtons any = Qt::AllButtons;
    kit::buttons(this, {
        {{"Label5", &Label5}, {"Image4", &Image4}, QStringLiteral("画面設定"), {345, 30}, {336, 8}, big, 24, any, {}},
        {{"Label4", &Label4}, {"Image3", &Image3}, QStringLiteral("環境設定"), {481, 30}, {472, 8}, big, 24, any,
         [this] { Label4Click(); }},
        {{"Label3", &Label3}, {"Image2", &Image2}, QStringLiteral("削除"), {619, 27}, {608, 8}, small, 27, any,
         [this] { Label3Click(); }},
        {{"Label2", &Label2}, {"Image1", &Image1}, QStringLiteral("もどる"), {713, 27}, {704, 8}, small, 24, any,
         [this] { Label2Click(); }},
    });

    // The class as a whole, in the band under the list and the table; みんなでフラッシュ last, as it
    // is used right after the PC check, before a class exam.
    const QSize bar(152, 40);
    kit::buttons(this, {
        {{"Label6"}, {"Image5"}, QStringLiteral("クラスのようす"), {14, 559}, {8, 552}, bar, 20, Qt::AllButtons,
         [this] { asScreen(screens().classOverview)->Show(); }},
        {{"Label7"}, {"Image6"}, QStringLiteral("CSVで保存"), {193, 559}, {165, 552}, bar, 20, Qt::AllButtons,
         [this] { classoverview::saveCsv(this); }},
        {{"Label8"}, {"Image7"}, QStringLiteral("合格証"), {368, 559}, {322, 552}, bar, 20, Qt::AllButtons,
         [this] { certificate::save(this, shownUser()); }},
        // Before an exam: whether this PC shows the numbers on time. The numbers flash in a window
        // over this screen while the check runs; its figures and verdict come in a box.
        {{"Label9"}, {"Image8"}, QStringLiteral("PCチェック"), {502, 559}, {479, 552}, bar, 20, Qt::AllButtons,
         [this] {
             const std::vector<pacecheck::Figures> figures = pacecheck::runOnScreen(
                 this, pacecheck::paces(pacecheck::classroomSettings()), pacecheck::programSeams());
             if (!App::instance()->ending())
                 dialogs::inform(pacecheck::report(figures).join(QLatin1Char('\n')));
         }},
        {{"Label10"}, {"Image9"}, QStringLiteral("みんなでフラッシュ"), {641, 561}, {636, 552}, bar, 16, Qt::AllButtons,
         [this] { asScreen(screens().classChoose)->Show(); }},
    });
    // One size for the band's five captions, the longest (みんなでフラッシュ, nine full-width
    // characters) clear of its bar's rounded ends; each centred on its bar.
    constexpr int kBandPx = 14;
    for (int i = 6; i <= 10; ++i) {
        auto *caption = findChild<QLabel *>(QStringLiteral("Label%1").arg(i));
        auto *face = findChild<QWidget *>(QStringLiteral("Image%1").arg(i - 1));
        caption->setFont(style::font(kBandPx, true));
        caption->adjustSize();
        caption->move(face->x() + (face->width() - caption->width()) / 2, face->y() + (face->height() - caption->height()) / 2);
    }

    // The list leaves room under it for what the teacher does to the class's names.
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 80, 177, 28);
    ComboBox1->setFont(style::font(16, true));
    connect(ComboBox1, &QComboBox::activated, this, pz::guarded([this](int) { ComboBox1Change(); }));
    ListBox1 = kit::nameList(this, "ListBox1", {8, 112, 177, 337}, 16, 16);
    kit::buttons(this, {
        {{"Label12"}, {"Image11"}, QStringLiteral("名簿から登録"), {14, 465}, {8, 456}, QSize(177, 40), 16, Qt::AllButtons,
         [this] { screens().rosterImport->Open(); }},
        {{"Label11"}, {"Image10"}, QStringLiteral("パスワードを変える"), {14, 513}, {8, 504}, QSize(177, 40), 16, Qt::AllButtons,
         [this] { screens().passwordReset->Ask(shownUser()); }},
    });
    for (int i : {11, 12}) {
        auto *caption = findChild<QLabel *>(QStringLiteral("Label%1").arg(i));
        auto *face = findChild<QWidget *>(QStringLiteral("Image%1").arg(i - 1));
        caption->move(face->x() + (face->width() - caption->width()) / 2, face->y() + (face->height() - caption->height()) / 2);
    }
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, pz::guarded([this] { ListBox1Click(); }));

    StringGrid1 = new RecordGrid(this, QStringLiteral("StringGrid1"),
                                 {.geometry = QRect(192, 80, 608, 465),
                                  .columnWidths = {90, 167, 97, 130, 116},
                                  .rowHeight = 45,
                                  .fontPx = 29,
                                  .border = true,
                                  .rows = 5});

    // In the band between the title and the table, left of the buttons that reach down to it.
    LateLegend = new QLabel(kLateLegend, this);
    LateLegend->setObjectName(QStringLiteral("LateLegend"));
    LateLegend->setFont(style::font(12, true));
    LateLegend->setTextFormat(Qt::RichText);
    LateLegend->setGeometry(8, 43, 322, 36);
    LateLegend->setContentsMargins(4, 0, 4, 0);
    LateLegend->setAutoFillBackground(true);
    style::setColour(LateLegend, QPalette::Window, RecordGrid::markColour());
    style::setTextColour(LateLegend, Qt::black);
    LateLegend->hide();
}

void TForm13::FormActivate()
{
    StringGrid1->setRow(0, userstore::recordHeader());
    // Each user once, also when the list was not emptied before (an activation by the window
    // system while the settings editor is open).
    // The 組 chosen stays while it is still in use.
    const QString kumi = classoverview::group();
    ComboBox1->clear();
    ComboBox1->addItem(kAll);
    ComboBox1->addItems(groups::all());
    const int at = ComboBox1->findText(kumi);
    ComboBox1->setCurrentIndex(kumi.isEmpty() || at < 0 ? 0 : at);
    classoverview::setGroup(ComboBox1->currentIndex() == 0 ? QString() : ComboBox1->currentText());
    fillList();
}

void TForm13::ComboBox1Change()
{
    classoverview::setGroup(ComboBox1->currentIndex() == 0 ? QString() : ComboBox1->currentText());
    ListBox1->selectionModel()->clear();
    fillList();
}

void TForm13::fillList()
{
    ListBox1->clear();
    const QString kumi = classoverview::group();
    const QHash<QString, QString> all = kumi.isEmpty() ? QHash<QString, QString>() : groups::read();
    for (const QString &name : userstore::listUsers())
        if (groups::shown(all, name, kumi))
            ListBox1->addItem(name);
}

void TForm13::FormCloseQuery()
{
    // The teacher's visit ends, and with it the child's login at the main menu.
    setLoggedIn(false);
    showTitle(QString());
    ListBox1->clear();
    StringGrid1->clearCells();
    LateLegend->hide();
}

void TForm13::ListBox1Click()
{
    const QList<QListWidgetItem *> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty())
        return; // emptied or the chosen name removed: the title and the table stay
    const QString name = chosen.first()->text();
    StringGrid1->clearCells();
    LateLegend->hide();
    showTitle(name);
    // A missing or unreadable history stops here: the table stays emptied under the new title.
    const QStringList history = userstore::readHistory(name);
    StringGrid1->load(history);
    // The pace file only adds marks: a missing or damaged one leaves the history shown unmarked.
    StringGrid1->markRows(pacemarks::lateDrillsOf(name, history), overview::lateLegend());
    LateLegend->setVisible(StringGrid1->markedRows() > 0);
}

void TForm13::Label4Click() { asScreen(screens().settingsEditor)->Show(); }
void TForm13::Label3Click() { screens().deletionConfirm->Ask(shownUser()); }
void TForm13::Label2Click() { Close(); }

void TForm13::showTitle(const QString &name)
{
    shownUser_ = name;
    if (name.isEmpty()) {
        Label1->clear();
        return;
    }
    Label1->setText(name + kTitleEnd);
    Label1->adjustSize();
}

void TForm13::userDeleted(const QString &)
{
    // The deleted child's rows go with them, and the list is read again from the folder. Nothing
    // is chosen afterwards: a list with one selection would choose the next name itself and show
    // that history instead.
    StringGrid1->clearCells();
    StringGrid1->setRow(0, userstore::recordHeader());
    LateLegend->hide();
    showTitle(QString());
    ListBox1->selectionModel()->clear();
    fillList();
}
