#include "users/delkakunin.h"

#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "users/roster.h"
#include "users/userstore.h"

#include <QFontMetrics>

namespace {
const QString kQuestion = QStringLiteral("削除してもよろしいですか？");
} // namespace

TForm15::TForm15()
    : Screen({.title = QStringLiteral("確認"), .kind = Kind::SizeableDialog, .size = QSize(433, 230), .pos = QPoint(175, 177)})
{
}

void TForm15::FormCreate()
{
    // Two lines: the child's name, then the question; the buttons below them.
    Label3 = makeLabel(this, QStringLiteral("Label3"), kQuestion, {8, 16}, 32, Qt::white);
    oneLine_ = Label3->height();
    const QSize bar(153, 49);
    kit::buttons(this, {
        {{"Label1", &Label1}, {"Image1", &Image1}, QStringLiteral("はい"), {56, 128}, {16, 120}, bar, 35, Qt::AllButtons,
         [this] { Label1Click(); }},
        {{"Label2", &Label2}, {"Image2", &Image2}, QStringLiteral("いいえ"), {272, 128}, {248, 120}, bar, 35,
         Qt::AllButtons, [this] { Label2Click(); }},
    });
    captionOffset_ = {Label1->pos() - Image1->pos(), Label2->pos() - Image2->pos()};
    arrange();
}

// The question, then the buttons, with the same space above, between and below them, whatever the
// window's height: a window manager's title bar takes some of the outer size, none without one,
// and the teacher may resize the window.
void TForm15::arrange()
{
    if (!Label3 || !Image1 || !Image2)
        return;
    const int free = qMax(0, height() - Label3->height() - Image1->height());
    const int gap = free / 3;
    Label3->move(Label3->x(), gap);
    const int buttonsAt = gap + Label3->height() + gap;
    Image1->move(Image1->x(), buttonsAt);
    Image2->move(Image2->x(), buttonsAt);
    Label1->move(Image1->pos() + captionOffset_[0]);
    Label2->move(Image2->pos() + captionOffset_[1]);
}

void TForm15::resizeEvent(QResizeEvent *event)
{
    Screen::resizeEvent(event);
    arrange();
}

void TForm15::Ask(const QString &name)
{
    user_ = name;
    // The teacher sees whom the はい deletes; a long name is set narrower to stay in the window.
    const QString suffix = QStringLiteral(" を");
    QFont f = Label3->font();
    f.setStretch(QFont::AnyStretch);
    const int room = width() - 2 * Label3->x();
    f = style::narrowedToFit(style::narrowedToFit(f, name + suffix, room), kQuestion, room);
    Label3->setFont(f);
    // Past half width the name's end gives way, never " を".
    const QFontMetrics fm(f);
    const QString shown = fm.horizontalAdvance(name + suffix) > room
                              ? fm.elidedText(name, Qt::ElideRight, room - fm.horizontalAdvance(suffix))
                              : name;
    Label3->setText(name.isEmpty() ? kQuestion : shown + suffix + QLatin1Char('\n') + kQuestion);
    // A label is one design line high; the named question needs two of the face's lines.
    Label3->setFixedHeight(name.isEmpty() ? oneLine_ : 2 * fm.lineSpacing());
    Label3->adjustSize();
    arrange();
    ShowModal();
}

void TForm15::Label1Click()
{
    const QString name = user_;
    if (name.isEmpty()) {
        Close(); // nobody chosen yet, or just deleted
        return;
    }
    const userstore::DeleteResult result = roster::deleteChild(name);
    if (!result.refusal.isEmpty()) {
        Close();
        dialogs::warn(result.refusal); // nothing deleted; the user stays listed and shown
        return;
    }
    if (!result.userGone())
        throw *result.error; // the user stays listed and shown
    emit userDeleted(name);
    Close();
    if (result.error)
        throw *result.error; // the user is gone, but say which file is left
    dialogs::informDeleted(QStringLiteral("削除しました"));
}

void TForm15::Label2Click() { Close(); }
