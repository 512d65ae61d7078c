#include "shell/splash.h"

#include "kit/kit.h"
#include "base/errors.h"
#include "kit/artwork.h"
#include "kit/widgets.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QTimer>

namespace {
// A dark-blue panel with a raised bevel 9 px wide, a 1 px gap inside it and a single-line frame.
class SplashPanel : public QFrame {
public:
    explicit SplashPanel(QWidget *parent) : QFrame(parent) {}
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, QColor(0, 0, 160));
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1)); // the frame
        const int bevel = 9;
        for (int i = 0; i < bevel; ++i) {
            const QRect b = r.adjusted(1 + i, 1 + i, -2 - i, -2 - i);
            p.setPen(QColor(120, 140, 255));
            p.drawLine(b.topLeft(), b.topRight());
            p.drawLine(b.topLeft(), b.bottomLeft());
            p.setPen(QColor(0, 0, 70));
            p.drawLine(b.bottomLeft(), b.bottomRight());
            p.drawLine(b.topRight(), b.bottomRight());
        }
    }
};
} // namespace

TForm11::TForm11()
    : Screen({.title = QStringLiteral("splash"), .kind = Kind::Panel, .size = QSize(594, 412), .background = Qt::white})
{
}

void TForm11::FormCreate()
{
    Panel1 = new SplashPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(rect());
    auto *image = new QLabel(Panel1);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(artwork::splash(QSize(575, 391)));
    image->setGeometry(10, 10, 575, 391);
    makeLabel(Panel1, QStringLiteral("Label1"), QStringLiteral("フラッシュ暗算 検定トレーニング"), {47, 104}, 35, Qt::white);
    makeLabel(Panel1, QStringLiteral("Label2"), QStringLiteral("ぴかざん"), {74, 187}, 67, Qt::white);
    makeLabel(Panel1, QStringLiteral("Label3"), QStringLiteral("しばらくお待ちください。まもなく始まります。"), {64, 328}, 19, Qt::black);

    Timer1 = kit::timer(this, "Timer1", 2500, kit::Timing::Precise, [this] { Timer1Timer(); });
    Timer1->start(); // runs from the moment the splash is created
}

void TForm11::Timer1Timer()
{
    Timer1->stop();
    Close();
}

void TForm11::FormCloseQuery()
{
    deleteLater(); // released: destroyed once the event loop runs
}
