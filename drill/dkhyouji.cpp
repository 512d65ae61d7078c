#include "drill/dkhyouji.h"

#include "drill/briefing.h"
#include "base/errors.h"
#include "kit/kit.h"
#include "kit/app.h"
#include "kit/widgets.h"

#include <QLabel>
#include <QTimer>

TForm16::TForm16() : Screen({.title = QStringLiteral("説明"), .kind = Kind::FullScreen}) {}

void TForm16::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QString(), {0, 56}, 267, Qt::white);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QString(), {0, 400}, 120, Qt::white);
    Timer1 = kit::timer(this, "Timer1", 2500, kit::Timing::Precise, [this] { Timer1Timer(); });
}

void TForm16::FormActivate()
{
    if (!Timer1->isActive()) // a running timer goes on undisturbed
        Timer1->start();
    Label1->setText(state().gradeName);
    Label2->setText(briefing::parameterLine(state().gradeParams.digits, state().gradeParams.count, state().gradeParams.seconds));
    for (QLabel *l : {Label1, Label2}) {
        l->adjustSize();
        l->move(layoutOrigin().x() + briefing::centredLeft(l->width()), l->y());
    }
}

void TForm16::Timer1Timer()
{
    asScreen(screens().flashScreen)->Show();
    Close();
}

void TForm16::FormCloseQuery() { Timer1->stop(); }
