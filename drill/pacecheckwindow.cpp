#include "drill/pacecheckwindow.h"

#include "drill/flashstage.h"
#include "drill/numberlabel.h"
#include "platform/x11window.h"
#include "kit/app.h"
#include "kit/style.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QWindow>

namespace {
// The window keeps the flash screen's 800 px number row, less this much on the left.
constexpr int kInset = 20;
constexpr int kNumberTop = 48;
} // namespace

PaceCheckWindow::PaceCheckWindow(QWidget *owner, const QString &line)
    : QWidget(owner, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("PaceCheckWindow"));
    setWindowTitle(QStringLiteral("パソコンのチェック"));
    if (owner)
        setWindowModality(Qt::ApplicationModal); // nothing else of the program is clicked meanwhile
    style::setColour(this, QPalette::Window, Qt::white);
    setAutoFillBackground(true);

    line_ = new QLabel(line, this);
    line_->setObjectName(QStringLiteral("Label1"));
    line_->setFont(style::font(24, true));
    style::setColour(line_, QPalette::WindowText, style::kDarkBlue);
    line_->move(16, 12);
    line_->adjustSize();

    // The number as the flash screen shows it: its label, its type, its places.
    stage_ = new FlashStage(this, {.countdown = {}, .number = QStringLiteral("Label2")}, {-kInset, 0}, kNumberTop);
    number_ = stage_->number();
    setFixedSize(800 - 2 * kInset, kNumberTop + number_->height() + 8);
}

void PaceCheckWindow::paint(int number)
{
    if (number < 0) {
        stage_->clearNumber();
        return;
    }
    const int digits = number >= 100 ? 3 : (number >= 10 ? 2 : 1);
    if (digits != digits_) {
        stage_->placeFor(digits);
        digits_ = digits;
    }
    stage_->showNumber(number);
}

namespace pacecheck {

Seams &programSeams()
{
    static Seams seams;
    return seams;
}

std::vector<Figures> runOnScreen(QWidget *owner, const std::vector<Pace> &paces, const Seams &seams)
{
    const qint64 total = seams.perPace.count() * qint64(paces.size());
    const qint64 seconds = std::max<qint64>(1, (total + 500) / 1000);
    PaceCheckWindow window(owner, QStringLiteral("パソコンをしらべています（%1びょうほど）").arg(seconds));
    if (owner) {
        const QRect room = owner->window()->geometry();
        window.move(room.center() - window.rect().center());
    }
    // Like the program's dialogs: kept in sight (no minimising) and off the taskbar.
    x11window::setFixedFrame(&window, true);
    x11window::skipTaskbar(&window);
    window.show();
    window.stage()->prepare();
    // The first flashes are measured on a window that is on the screen, not one still being mapped.
    QDeadlineTimer limit(2000);
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    // The program may be told to end meanwhile: the check stops at the next number.
    Seams mine = seams;
    if (!mine.stop && App::instance())
        mine.stop = [] { return App::instance()->ending(); };
    return run(paces, [&window](int number) { window.paint(number); }, mine);
}

} // namespace pacecheck
