#include "drill/classdesk.h"

#include "base/errors.h"
#include "drill/classshow.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"

#include <QKeyEvent>

namespace {
QLabel *line(QWidget *parent, const char *name, const QRect &geometry, int px)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(style::font(px, true));
    style::setColour(l, QPalette::WindowText, Qt::white);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(geometry);
    return l;
}

QString doing(const TClassShow &show)
{
    switch (show.step()) {
    case TClassShow::Step::Waiting:
        return show.hint();
    case TClassShow::Step::Countdown:
        return QStringLiteral("カウントダウン");
    case TClassShow::Step::Flashing:
    case TClassShow::Step::After:
        return QStringLiteral("フラッシュ中");
    case TClassShow::Step::Paused:
        return QStringLiteral("止めています");
    case TClassShow::Step::Idle:
        break;
    }
    return {};
}
} // namespace

TClassDesk::TClassDesk()
    : Screen({.title = QStringLiteral("みんなでフラッシュ（先生の画面）"), .kind = Kind::FullScreen, .fontPx = 20})
{
}

void TClassDesk::FormCreate()
{
    makeLabel(this, QStringLiteral("Title"), QStringLiteral("みんなでフラッシュ"), {12, 12}, 35, Qt::white);
    makeLabel(this, QStringLiteral("Where"), QStringLiteral("もう一つの画面に出しています"), {16, 64}, 20, Qt::white);
    Question = line(this, "Question", {0, 140, 800, 110}, 80);
    Doing = line(this, "Doing", {0, 280, 800, 50}, 28);
    kit::buttons(this, {
        {{"StartLabel", &StartLabel}, {"StartImage"}, QStringLiteral("はじめる"), {240, 438}, {220, 420}, {180, 80}, 34,
         Qt::AllButtons, [this] { show_->teacherKey(Qt::Key_Return); }},
        {{"StopLabel", &StopLabel}, {"StopImage"}, QStringLiteral("やめる"), {456, 438}, {420, 420}, {180, 80}, 34,
         Qt::AllButtons, [this] { show_->teacherKey(Qt::Key_Escape); }},
    });
    line(this, "Keys", {0, 520, 800, 40}, 20)->setText(QStringLiteral("Enter / スペース：はじめる　　Esc：やめる"));
}

void TClassDesk::watch(TClassShow *show)
{
    if (show_ != show) {
        show_ = show;
        connect(show, &TClassShow::progressed, this, pz::guarded([this] { refresh(); }));
    }
    Show();
    refresh();
}

void TClassDesk::refresh()
{
    if (!show_->elsewhere()) {
        // Back on this display, or over: the set's own screen is the teacher's again.
        if (isVisible())
            Close();
        return;
    }
    Question->setText(show_->replaying()
                          ? QStringLiteral("%1問目（もう一度）").arg(show_->question() + 1)
                          : QStringLiteral("%1問目 ／ %2問").arg(show_->question() + 1).arg(show_->questionCount()));
    Doing->setText(doing(*show_));
    const bool waiting = show_->step() == TClassShow::Step::Waiting;
    StartLabel->setEnabled(waiting);
    if (auto *art = findChild<QWidget *>(QStringLiteral("StartImage")))
        art->setEnabled(waiting);
}

void TClassDesk::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    if (!event->isAutoRepeat() && show_)
        pz::guard([&] { show_->teacherKey(event->key()); });
}
