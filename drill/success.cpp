#include "drill/success.h"

#include "drill/kotae.h"
#include "base/errors.h"
#include "kit/kit.h"
#include "kit/app.h"
#include "kit/widgets.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

TForm6::TForm6()
    : Screen({.title = QStringLiteral("success"), .kind = Kind::FullScreenMaximised})
{
}

void TForm6::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("合格"), {120, 16}, 267, Qt::white);
    Timer1 = kit::timer(this, "Timer1", 5000, kit::Timing::Precise, [this] { Timer1Timer(); });
}

void TForm6::present(const QString &verdict, int left)
{
    Label1->setText(verdict);
    Label1->adjustSize();
    Label1->move(layoutOrigin() + QPoint(left, 16));
    Show();
    Timer1->start();
}

void TForm6::Timer1Timer() { moveOn(); }

void TForm6::keyPressEvent(QKeyEvent *event)
{
    pz::guard([&] { FormKeyPress(event); });
}

void TForm6::FormKeyPress(QKeyEvent *event)
{
    event->accept(); // no key goes further than this screen
    // A held Enter repeating from the last answer must not skip the verdict unseen.
    if (event->isAutoRepeat())
        return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        moveOn();
}

void TForm6::moveOn()
{
    TForm4 *sheet = screens().resultSheet;
    sheet->Show();
    sheet->startFill();
    Close();
}

void TForm6::FormCloseQuery() { Timer1->stop(); }
