#include "kit/screen.h"

#include "platform/display.h"
#include "base/displayscale.h"
#include "base/errors.h"
#include "platform/x11window.h"
#include "kit/registry.h"
#include "kit/screenmodel.h"
#include "kit/sharedstate.h"

#include <QChildEvent>
#include <QCloseEvent>
#include <QPointer>
#include <QResizeEvent>
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

void Screen::sizeToDisplay()
{
    const QSize d = display::layoutSize();
    resize(d);
    move((d.width() - width()) / 2, (d.height() - height()) / 2);
}

QSize Screen::layoutSize() const { return content_ ? content_->size() : size(); }

void Screen::create()
{
    // A dialog keeps its place on the 800×600 layout, wherever that stands on a larger display.
    const QPoint layoutOrigin = displayscale::centredOrigin(display::layoutSize());
    switch (layout_.kind) {
    case Kind::FullScreen:
    case Kind::FullScreenMaximised:
        content_ = new QWidget(this);
        content_->setObjectName(QStringLiteral("content"));
        content_->setGeometry(QRect(QPoint(), displayscale::kLayout));
        sizeToDisplay();
        break;
    case Kind::Panel: {
        setFixedSize(layout_.size);
        const QSize d = display::layoutSize();
        move((d.width() - width()) / 2, (d.height() - height()) / 2);
        break;
    }
    case Kind::Dialog:
        setFixedSize(layout_.size);
        move(layout_.pos + layoutOrigin);
        break;
    case Kind::SizeableDialog:
        resize(layout_.size);
        move(layout_.pos + layoutOrigin);
        break;
    }
    FormCreate();
    if (content_) {
        const QObjectList made = children(); // a copy: adopting takes each out of the list
        for (QObject *child : made)
            if (child != content_ && child->isWidgetType())
                adopt(static_cast<QWidget *>(child));
    }
}

void Screen::adopt(QWidget *w)
{
    if (w == content_ || w->isWindow() || w->parentWidget() != this)
        return;
    const bool hidden = w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide);
    const QRect at = w->geometry();
    w->setParent(content_);
    w->setGeometry(at);
    w->setVisible(!hidden);
}

void Screen::resizeEvent(QResizeEvent *event)
{
    if (content_)
        content_->move(displayscale::centredOrigin(size()));
    QWidget::resizeEvent(event);
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
        case QEvent::Resize:
            fitOuterSizeOnce(); // the frame arrives with the window manager's first move or resize
            break;
        case QEvent::ChildAdded: {
            // A control made after the screen's creation joins the others, once it is constructed.
            auto *child = static_cast<QChildEvent *>(event)->child();
            if (content_ && child->isWidgetType()) {
                QPointer<QWidget> w(static_cast<QWidget *>(child));
                QTimer::singleShot(0, this, [this, w] {
                    if (w)
                        adopt(w);
                });
            }
            break;
        }
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
