#include "settings/settei.h"

#include "settings/graderules.h"
#include "settings/rand.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/widgets.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>

#include <algorithm>

namespace {

struct Column {
    const char *heading;   // "桁"
    double least, most;    // the range its hint gives: "(1桁～3桁)"
    int maxLength;         // for typing only
    QLatin1String accepted;
    int boxX[2], headingX[2], hintX[2]; // left half, right half
};
constexpr graderules::EditorRanges kRanges = graderules::kEditor;
const Column kColumns[3] = {
    {"桁", double(kRanges.minDigits), double(kRanges.maxDigits), 1, QLatin1String("123"), {104, 528}, {118, 534}, {100, 516}},
    {"口", double(kRanges.minCount), double(kRanges.maxCount), 2, QLatin1String("0123456789"), {200, 624}, {211, 632}, {192, 608}},
    {"秒", kRanges.minSeconds, kRanges.maxSeconds, 3, QLatin1String("0123456789."), {296, 720}, {304, 728}, {288, 704}},
};
QString hintOf(const Column &col)
{
    const QString unit = QString::fromUtf8(col.heading);
    return QStringLiteral("(%1%3～%2%3)").arg(col.least).arg(col.most).arg(unit);
}
constexpr int kRows = 20;

// Row r of the editor is block r of the file: 10級 .. 1級, then 初段 .. 十段.
GradeCode gradeOfRow(int row) { return settings::gradeOfBlock(row); }
int rowY(int row) { return 61 + 48 * (row % 10); }

// A value can be wider than its box (the file may hold any text): the box shows its first
// characters, wherever the cursor was left.
void showStart(QLineEdit *box) { box->setCursorPosition(0); }
// The whole value selected, so that typing replaces it, and its start in view.
void selectWhole(QLineEdit *box) { box->setSelection(int(box->text().size()), -int(box->text().size())); }

// What the key filter cannot see, because it types no character: the clipboard keys (Shift+Insert,
// Shift+Delete, Ctrl+Insert) and the middle-button paste of the selection. A box takes no text but
// typed characters. It also selects the whole text whenever the box gets the focus other than by a
// mouse click, so that typing replaces the value.
class BoxGuard : public QObject {
public:
    explicit BoxGuard(QLineEdit *box) : QObject(box), box_(box)
    {
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->setAcceptDrops(false);
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress: {
            const auto *k = static_cast<QKeyEvent *>(e);
            return k->matches(QKeySequence::Paste) || k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy);
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return static_cast<QMouseEvent *>(e)->button() == Qt::MiddleButton;
        case QEvent::FocusIn:
            if (static_cast<QFocusEvent *>(e)->reason() != Qt::MouseFocusReason)
                selectWhole(box_);
            return false;
        case QEvent::FocusOut: {
            // Not while a message box or a menu has the keyboard for a moment: the box is not left.
            const Qt::FocusReason why = static_cast<QFocusEvent *>(e)->reason();
            if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason)
                showStart(box_);
            return false;
        }
        default:
            return false;
        }
    }

private:
    QLineEdit *box_;
};

// Whether a typed character may go into the box: one of the column's characters, and room for it
// once a selection it replaces is gone. Text the program puts in may be longer.
bool takes(const QLineEdit *box, const Column &column, int key)
{
    if (key == kit::kBackspace || key == kit::kEnter)
        return true;
    const bool allowed = key > 0 && key < 0x80 && column.accepted.contains(QLatin1Char(char(key)));
    return allowed && box->text().size() - box->selectedText().size() < column.maxLength;
}

} // namespace

TForm17::TForm17() : Screen({.title = QStringLiteral("環境設定"), .kind = Kind::FullScreen}) {}

void TForm17::FormCreate()
{
    for (int row = 0; row < kRows; ++row) {
        const int half = row / 10;
        makeLabel(this, QStringLiteral("Label%1").arg(row + 1), settings::gradeName(gradeOfRow(row)),
                  {half ? 432 : 16, 64 + 48 * (row % 10)}, 27, Qt::white);
    }
    for (int half = 0; half < 2; ++half) {
        for (int c = 0; c < 3; ++c) {
            const Column &col = kColumns[c];
            makeLabel(this, QStringLiteral("Label%1").arg(21 + 3 * half + c), QString::fromUtf8(col.heading),
                      {col.headingX[half], 24}, 35, Qt::white);
            makeLabel(this, QStringLiteral("Label%1").arg(30 + 3 * half + c), hintOf(col),
                      {col.hintX[half], 8}, 15, Qt::white, false);
        }
    }

    using Handler = void (TForm17::*)(QObject *, int &);
    const Handler handlers[3] = {&TForm17::Edit1KeyPress, &TForm17::Edit2KeyPress, &TForm17::Edit3KeyPress};
    for (int k = 0; k < int(Edit.size()); ++k) {
        const int row = k / 3, c = k % 3;
        auto *box = kit::field(this, QStringLiteral("Edit%1").arg(k + 1).toLatin1().constData(),
                               {kColumns[c].boxX[row / 10], rowY(row), 57, 35}, 27, kit::Echo::Plain,
                               kit::InputMethod::Off);
        style::setColour(box, QPalette::Base, Qt::white);
        new BoxGuard(box);
        kit::onKeyPress(box, [this, box, h = handlers[c]](int &key) { (this->*h)(box, key); });
        if (k > 0)
            setTabOrder(Edit[k - 1], box);
        Edit[k] = box;
    }

    const Qt::MouseButtons left = Qt::LeftButton;
    kit::buttons(this, {
        {{"Label29", &Label29}, {"Image1", &Image1}, QStringLiteral("初期値に戻す"), {29, 558}, {16, 544}, {153, 57}, 21,
         left, [this] { Label29Click(); }},
        {{"Label28", &Label28}, {"Image2", &Image2}, QStringLiteral("保存する"), {357, 557}, {328, 544}, {153, 57}, 24,
         left, [this] { Label28Click(); }},
        {{"Label27", &Label27}, {"Image3", &Image3}, QStringLiteral("もどる"), {704, 556}, {696, 536}, {81, 65}, 24, left,
         [this] { Label27Click(); }},
    });
    Label28->setFont(font(24, false)); // the one caption that is not bold
    Label28->adjustSize();
}

void TForm17::FormActivate()
{
    const QStringList lines = ReadSettingsLines(); // read first: a failure leaves the boxes as they were
    for (int k = 0; k < int(Edit.size()); ++k) {
        Edit[k]->setText(lines.value(k));
        showStart(Edit[k]);
    }
    // The box that had the focus when the editor was left (Edit1 at first) keeps it, ready to overtype.
    auto *box = qobject_cast<QLineEdit *>(focusWidget());
    focusBox(box ? int(std::find(Edit.begin(), Edit.end(), box) - Edit.begin()) : 0);
}

void TForm17::Edit1KeyPress(QObject *sender, int &key)
{
    if (!takes(static_cast<QLineEdit *>(sender), kColumns[0], key))
        key = 0;
}

void TForm17::Edit2KeyPress(QObject *sender, int &key)
{
    if (!takes(static_cast<QLineEdit *>(sender), kColumns[1], key))
        key = 0;
}

void TForm17::Edit3KeyPress(QObject *sender, int &key)
{
    if (!takes(static_cast<QLineEdit *>(sender), kColumns[2], key))
        key = 0;
}

void TForm17::Label28Click()
{
    const QStringList values = texts();
    if (const int empty = int(values.indexOf(QString())); empty >= 0) {
        dialogs::inform(QStringLiteral("空白の欄があります"));
        focusBox(empty);
        return;
    }
    // Saved, such a value would make its grade refused at every later choice: say which and keep it.
    if (const int bad = graderules::firstUnusableSetting(values); bad >= 0) {
        dialogs::warn(QStringLiteral("「%1」の%2「%3」では練習できません")
                          .arg(settings::gradeName(gradeOfRow(bad / 3)), QString::fromUtf8(kColumns[bad % 3].heading), values[bad]));
        focusBox(bad);
        return;
    }
    WriteSettingsLines(values); // whole or not at all: a failure keeps the old file
    dialogs::inform(QStringLiteral("保存しました"));
}

void TForm17::Label29Click()
{
    const QStringList defaults = settings::defaultSettingsLines();
    for (int k = 0; k < int(Edit.size()); ++k) {
        Edit[k]->setText(defaults.value(k));
        showStart(Edit[k]);
    }
    dialogs::inform(QStringLiteral("初期値に戻しました"));
}

void TForm17::Label27Click()
{
    emit backToTeacher();
    Close();
}

QStringList TForm17::texts() const
{
    QStringList values;
    for (const QLineEdit *box : Edit)
        values << box->text();
    return values;
}

void TForm17::focusBox(int index)
{
    QLineEdit *box = Edit[index];
    box->setFocus();
    selectWhole(box);
}
