#include "shell/screen.h"

#include "platform/display.h"
#include "platform/errors.h"
#include "shell/app.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

Screen::Screen(const Layout &layout) : QWidget(nullptr), layout_(layout)
{
    setWindowTitle(layout.title);
    Qt::WindowFlags flags = Qt::Window | Qt::WindowStaysOnTopHint;
    switch (layout.kind) {
    case Kind::FullScreen:
    case Kind::FullScreenMaximised:
    case Kind::Panel:
        flags |= Qt::FramelessWindowHint;
        break;
    case Kind::Dialog:
        flags = Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
              | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
        break;
    case Kind::SizeableDialog:
        flags = Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
              | Qt::WindowCloseButtonHint;
        break;
    }
    setWindowFlags(flags);
    style::setColour(this, QPalette::Window, layout.background);
    setAutoFillBackground(true);
    setFont(font(layout.fontPx));
    installEventFilter(this); // whatever the screen's own event handlers do
}

Screen::~Screen()
{
    if (auto *a = App::instance())
        a->forgetScreen(this);
}

QFont Screen::font(int px, bool bold, bool italic) { return style::font(px, bold, italic); }

void Screen::sizeToDisplay()
{
    const QSize d = display::currentSize();
    resize(d);
    move((d.width() - width()) / 2, (d.height() - height()) / 2);
}

void Screen::create()
{
    switch (layout_.kind) {
    case Kind::FullScreen:
    case Kind::FullScreenMaximised:
        sizeToDisplay();
        break;
    case Kind::Panel: {
        setFixedSize(layout_.size);
        const QSize d = display::currentSize();
        move((d.width() - width()) / 2, (d.height() - height()) / 2);
        break;
    }
    case Kind::Dialog:
        setFixedSize(layout_.size);
        move(layout_.pos);
        break;
    case Kind::SizeableDialog:
        resize(layout_.size);
        move(layout_.pos);
        break;
    }
    FormCreate();
}

bool Screen::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            fitOuterSize();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Screen::fitOuterSize()
{
    if (layout_.kind != Kind::SizeableDialog || !isVisible() || fitting_)
        return;
    const QSize frame = frameGeometry().size() - size(); // title bar and borders; none without a window manager
    const QSize client = layout_.size - frame;
    if (client == size() || client.isEmpty())
        return;
    fitting_ = true;
    resize(client);
    fitting_ = false;
}

void Screen::Show() { app().showScreen(this); }
void Screen::ShowModal() { app().showModal(this); }
void Screen::Hide() { app().hideScreen(this); }

void Screen::Close()
{
    pz::guard([this] { FormCloseQuery(); });
    app().hideScreen(this);
}

void Screen::closeEvent(QCloseEvent *event)
{
    if (closingByProgram_) {
        event->accept();
        return;
    }
    // The close box, the system's close command or a session shutdown: the program's own close.
    event->ignore();
    Close();
}

App &Screen::app() const { return *App::instance(); }
SharedState &Screen::state() const { return App::instance()->state(); }
Screens &Screen::screens() const { return App::instance()->screens(); }
