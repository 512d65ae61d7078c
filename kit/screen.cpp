#include "kit/screen.h"

#include "platform/display.h"
#include "base/displayscale.h"
#include "base/errors.h"
#include "platform/x11window.h"
#include "kit/registry.h"
#include "kit/screenmodel.h"
#include "kit/sharedstate.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QWindow>

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
    if (ScreenModel *m = ScreenModel::current())
        m->forgetScreen(this);
}

QFont Screen::font(int px, bool bold, bool italic) { return style::font(px, bold, italic); }

namespace {
// Where the program's own display stands on the desktop: its 0,0 unless the layout is scaled to a
// primary display that is not the desktop's left-most.
QPoint primaryTopLeft()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    return display::layoutScaled() && primary ? primary->geometry().topLeft() : QPoint();
}
} // namespace

void Screen::sizeToDisplay()
{
    QScreen *on = display_ ? display_.data() : QGuiApplication::primaryScreen();
    if (on) {
        setScreen(on);
        if (QWindow *window = windowHandle())
            window->setScreen(on); // a window shown already: the widget's own screen is only its first
    }
    if (on && (display_ || display::layoutScaled())) {
        // A maximised window is kept to the display it is maximised on: let go, moved, maximised again there.
        const bool maximised = isMaximized();
        if (maximised)
            setWindowState(windowState() & ~Qt::WindowMaximized);
        setGeometry(on->geometry());
        if (maximised)
            setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    const QSize d = display::layoutSize();
    resize(d);
    move((d.width() - width()) / 2, (d.height() - height()) / 2);
}

void Screen::setDisplay(QScreen *on)
{
    disconnect(displayFollowed_);
    display_ = on;
    if (on)
        displayFollowed_ = connect(on, &QScreen::geometryChanged, this, pz::guarded([this](const QRect &) { sizeToDisplay(); }));
    sizeToDisplay();
}

QScreen *Screen::otherDisplay()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    for (QScreen *s : QGuiApplication::screens())
        if (s != primary)
            return s;
    return nullptr;
}

QSize Screen::layoutSize() const { return centresLayout() ? displayscale::kLayout : size(); }

QPoint Screen::originFor(const QWidget *parent)
{
    const auto *screen = qobject_cast<const Screen *>(parent);
    return screen ? screen->layoutOrigin() : QPoint();
}

bool Screen::centresLayout() const
{
    return (display::layoutScaled() || display_)
        && (layout_.kind == Kind::FullScreen || layout_.kind == Kind::FullScreenMaximised);
}

void Screen::create()
{
    // On a scaled display a dialog keeps its place on the centred 800×600 layout.
    const QPoint dialogOrigin =
        display::layoutScaled() ? primaryTopLeft() + displayscale::centredOrigin(display::layoutSize()) : QPoint();
    switch (layout_.kind) {
    case Kind::FullScreen:
    case Kind::FullScreenMaximised:
        sizeToDisplay();
        followDisplay();
        break;
    case Kind::Panel: {
        setFixedSize(layout_.size);
        const QSize d = display::layoutSize();
        move(primaryTopLeft() + QPoint((d.width() - width()) / 2, (d.height() - height()) / 2));
        break;
    }
    case Kind::Dialog:
        setFixedSize(layout_.size);
        move(layout_.pos + dialogOrigin);
        break;
    case Kind::SizeableDialog:
        resize(layout_.size);
        move(layout_.pos + dialogOrigin);
        break;
    }
    FormCreate();
    created_ = true;
    centreLayout();
}

void Screen::followDisplay()
{
    // A projector plugged in or out: a full screen takes the display's new size (and re-centres its
    // layout through the resize).
    const auto follow = [this](QScreen *primary) {
        if (primary)
            connect(primary, &QScreen::geometryChanged, this, pz::guarded([this](const QRect &) { sizeToDisplay(); }));
    };
    follow(QGuiApplication::primaryScreen());
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, pz::guarded([this, follow](QScreen *primary) {
        follow(primary);
        sizeToDisplay();
    }));
}

void Screen::centreLayout()
{
    // Moved, never re-parented: each control keeps its parent and its place in the paint order.
    // Back at the corner when it no longer centres (from a projector back to an 800×600 display).
    const QPoint to = centresLayout() ? displayscale::centredOrigin(size()) : QPoint();
    const QPoint by = to - origin_;
    origin_ = to;
    if (by.isNull())
        return;
    for (QObject *child : children())
        if (child->isWidgetType() && !static_cast<QWidget *>(child)->isWindow()) {
            auto *w = static_cast<QWidget *>(child);
            w->move(w->pos() + by);
        }
}

bool Screen::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this) {
        switch (event->type()) {
        case QEvent::Show:
            if (!fitted_ && fitUntil_.isForever())
                fitUntil_ = QDeadlineTimer(2000); // a window manager frames a window at once, or never
            fitOuterSizeOnce();
            break;
        case QEvent::Move:
            fitOuterSizeOnce(); // the frame arrives with the window manager's first move or resize
            break;
        case QEvent::Resize:
            fitOuterSizeOnce();
            if (created_)
                centreLayout(); // a display that changed size: the layout stays centred
            break;
        case QEvent::WindowStateChange:
            // Minimised by the window system: a dialog or panel has no taskbar entry to come back
            // from, and a modal one would leave every other screen blocked.
            if (isMinimized() && layout_.kind != Kind::FullScreen && layout_.kind != Kind::FullScreenMaximised)
                QTimer::singleShot(0, this, [this] { model().restoreMinimised(this); });
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Screen::fitOuterSizeOnce()
{
    if (layout_.kind != Kind::SizeableDialog || fitted_ || !isVisible())
        return;
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull()) {
        // Not framed yet. Without a window manager nothing ever frames it: its size is the outer size.
        if (fitUntil_.hasExpired() || (x11window::available() && !x11window::windowManagerRunning()))
            fitted_ = true;
        return;
    }
    fitted_ = true;
    resize(layout_.size.shrunkBy(frame));
}

void Screen::Show() { model().showScreen(this); }
void Screen::ShowModal() { model().showModal(this); }
void Screen::Hide() { model().hideScreen(this); }

void Screen::Close()
{
    pz::guard([this] { FormCloseQuery(); });
    model().hideScreen(this);
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

ScreenModel &Screen::model() { return *ScreenModel::current(); }
SharedState &Screen::state() const { return model().state(); }
Screens &Screen::screens() const { return model().screens(); }

void Screen::setLoggedIn(bool loggedIn)
{
    state().loggedIn = loggedIn;
    if (Screen *menu = asScreen(screens().mainMenu))
        menu->loginChanged();
}

void Screen::setMainMenuEnabled(bool enabled)
{
    if (Screen *menu = asScreen(screens().mainMenu))
        menu->setEnabled(enabled);
}
