#include "kit/CuteBtn.h"

#include "base/errors.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

TCuteButtonTimer::TCuteButtonTimer(TCuteButton *button) : QTimer(button), Button(button)
{
    setSingleShot(true);
}

namespace {
// Draws a 3-D frame of the given width and shrinks r inside it. Top and left edges in `top`, bottom and
// right in `bottom`; the top-right and bottom-left corner pixels belong to the bottom colour.
void frame3D(QPainter &p, QRect &r, const QColor &top, const QColor &bottom, int width)
{
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), top);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), top);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottom);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottom);
        r.adjust(1, 1, -1, -1);
    }
}

// The system focus rectangle: every other pixel of the outline, in the inverse of the fill.
void drawFocusRect(QPainter &p, const QRect &r, const QColor &fill)
{
    if (r.width() < 1 || r.height() < 1)
        return;
    const QColor c(255 - fill.red(), 255 - fill.green(), 255 - fill.blue());
    int n = 0;
    auto dot = [&](int x, int y) {
        if (n++ % 2 == 0)
            p.fillRect(QRect(x, y, 1, 1), c);
    };
    for (int x = r.left(); x < r.right(); ++x)
        dot(x, r.top());
    for (int y = r.top(); y < r.bottom(); ++y)
        dot(r.right(), y);
    for (int x = r.right(); x > r.left(); --x)
        dot(x, r.bottom());
    for (int y = r.bottom(); y > r.top(); --y)
        dot(r.left(), y);
}

// The shift state now: keyboard modifiers as the window system reports them.
Qt::KeyboardModifiers KeyboardShiftState()
{
    return QGuiApplication::queryKeyboardModifiers();
}

// Runs an event handler on a copy: the handler may assign its own event or delete the button, and
// the callable that runs must outlive that.
template <class Handler, class... Args>
void fire(const Handler &handler, Args &&...args)
{
    if (!handler)
        return;
    const Handler h = handler;
    pz::guard([&] { h(std::forward<Args>(args)...); });
}
} // namespace

TCuteButton::TCuteButton(QWidget *parent) : QWidget(parent)
{
    const QPalette pal = palette();
    color_ = pal.color(QPalette::Active, QPalette::Button);
    bevelShadowColor_ = pal.color(QPalette::Active, QPalette::Dark);
    bevelHighlightColor_ = pal.color(QPalette::Active, QPalette::Light);
    resize(75, 25);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TCuteButton::~TCuteButton() = default;

// ---- properties ---------------------------------------------------------------------------------------

void TCuteButton::setCaption(const QString &caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    updateShortcut();
    update();
}

void TCuteButton::setColor(const QColor &color)
{
    if (color == color_)
        return;
    color_ = color;
    update();
}

void TCuteButton::setAlignment(Qt::Alignment alignment)
{
    alignment &= Qt::AlignHorizontal_Mask;
    if (alignment != Qt::AlignLeft && alignment != Qt::AlignRight)
        alignment = Qt::AlignHCenter;
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    update();
}

void TCuteButton::setBorderStyle(TCuteButtonKinds::BorderStyle style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    update();
}

void TCuteButton::setBevelWidth(int width)
{
    width = qMax(1, width);
    if (width == bevelWidth_)
        return;
    bevelWidth_ = width;
    update();
}

void TCuteButton::setBevelShadowColor(const QColor &color)
{
    if (color == bevelShadowColor_)
        return;
    bevelShadowColor_ = color;
    update();
}

void TCuteButton::setBevelHighlightColor(const QColor &color)
{
    if (color == bevelHighlightColor_)
        return;
    bevelHighlightColor_ = color;
    update();
}

void TCuteButton::setDisabledColor(const QColor &color)
{
    if (color == disabledColor_)
        return;
    disabledColor_ = color;
    if (!isEnabled())
        update();
}

void TCuteButton::setUseDisabledColor(bool on)
{
    if (on == useDisabledColor_)
        return;
    useDisabledColor_ = on;
    if (!isEnabled())
        update();
}

void TCuteButton::setDropDownMenu(QMenu *menu)
{
    if (menu == dropDownMenu_)
        return;
    dropDownMenu_ = menu;
    update();
}

void TCuteButton::setFlat(bool on)
{
    if (on == flat_)
        return;
    flat_ = on;
    bevelInner_ = on ? BevelCut::None : BevelCut::Raised;
    update();
}

void TCuteButton::setLayout(TCuteButtonKinds::Layout layout)
{
    if (layout == layout_)
        return;
    layout_ = layout;
    update();
}

void TCuteButton::setShowFocusRect(bool on)
{
    if (on == showFocusRect_)
        return;
    showFocusRect_ = on;
    update();
}

void TCuteButton::setMarginX(int margin)
{
    margin = qMax(-1, margin);
    if (margin == marginX_)
        return;
    marginX_ = margin;
    update();
}

void TCuteButton::setMarginY(int margin)
{
    margin = qMax(-1, margin);
    if (margin == marginY_)
        return;
    marginY_ = margin;
    update();
}

void TCuteButton::setBevelOuter(BevelCut cut)
{
    // A disabled or hidden button shows no hover, focus or press, whatever is still under way.
    if (!isEnabled() || !isVisible())
        cut = BevelCut::None;
    if (cut == bevelOuter_)
        return;
    bevelOuter_ = cut;
    update();
}

TCuteButton::BevelCut TCuteButton::releasedBevel() const
{
    return tabFocusUp_ ? BevelCut::Raised : BevelCut::None;
}

// The accelerator: the caption's marked letter, as Alt+letter.
void TCuteButton::updateShortcut()
{
    const QKeySequence seq = QKeySequence::mnemonic(caption_);
    if (seq.isEmpty()) {
        delete shortcut_;
        shortcut_ = nullptr;
        return;
    }
    if (!shortcut_) {
        shortcut_ = new QShortcut(this);
        connect(shortcut_, &QShortcut::activated, this, pz::guarded([this] { accelerator(); }));
    }
    shortcut_->setKey(seq);
}

// ---- painting -----------------------------------------------------------------------------------------

QRect TCuteButton::clientRect() const
{
    return borderStyle_ == BorderStyle::Single ? rect().adjusted(1, 1, -1, -1) : rect();
}

QRect TCuteButton::captionRect() const
{
    const int d = flat_ ? bevelWidth_ : 2 * bevelWidth_;
    QRect t = clientRect().adjusted(d, d, -d, -d);
    if (marginX_ != -1) {
        if (alignment_ == Qt::AlignLeft)
            t.setLeft(t.left() + marginX_);
        else if (alignment_ == Qt::AlignRight)
            t.setRight(t.right() - marginX_);
    }
    if (marginY_ != -1) {
        if (layout_ == Layout::Top)
            t.setTop(t.top() + marginY_);
        else if (layout_ == Layout::Bottom)
            t.setBottom(t.bottom() - marginY_);
    }
    return t;
}

void TCuteButton::paintEvent(QPaintEvent *)
{
    Paint();
}

void TCuteButton::Paint()
{
    QPainter p(this);
    if (borderStyle_ == BorderStyle::Single) {
        p.setPen(Qt::black);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    QRect r = clientRect();
    const QColor fill = useDisabledColor_ && !isEnabled() ? disabledColor_ : color_;
    p.fillRect(r, fill);

    auto bevel = [&](BevelCut cut) {
        if (cut == BevelCut::Raised)
            frame3D(p, r, bevelHighlightColor_, bevelShadowColor_, bevelWidth_);
        else if (cut == BevelCut::Lowered)
            frame3D(p, r, bevelShadowColor_, bevelHighlightColor_, bevelWidth_);
    };
    bevel(bevelOuter_);
    bevel(bevelInner_);

    QRect t = captionRect();
    if (bevelOuter_ == BevelCut::Lowered)
        t.adjust(2, 2, 0, 0); // the rectangle loses its top-left pixels: a left/top caption moves most
    const Qt::Alignment v = layout_ == Layout::Top      ? Qt::AlignTop
                            : layout_ == Layout::Bottom ? Qt::AlignBottom
                                                        : Qt::AlignVCenter;
    const int flags = int(alignment_ | v) | Qt::TextSingleLine | Qt::TextShowMnemonic;

    p.setFont(font());
    const QPalette &pal = palette();
    if (!isEnabled()) {
        // Embossed: the system highlight one pixel down-right, the shadow colour on top.
        p.setPen(pal.color(QPalette::Active, QPalette::Light));
        p.drawText(t.translated(1, 1), flags, caption_);
        p.setPen(pal.color(QPalette::Active, QPalette::Dark));
    } else {
        p.setPen(pal.color(QPalette::Active, QPalette::ButtonText));
    }
    p.drawText(t, flags, caption_);

    if (showFocusRect_ && hasFocus())
        drawFocusRect(p, t.adjusted(2, 2, -2, -2), fill);
}

// ---- mouse --------------------------------------------------------------------------------------------

// Qt tells a disabled widget about crossings too; a disabled button keeps track but shows nothing.
void TCuteButton::enterEvent(QEnterEvent *e)
{
    const bool was = hovered_;
    hovered_ = true;
    if (was || !isEnabled())
        return;
    const QPoint c = e->position().toPoint() - clientRect().topLeft();
    MouseEnter(KeyboardShiftState(), c.x(), c.y());
}

void TCuteButton::leaveEvent(QEvent *)
{
    const bool was = hovered_;
    hovered_ = false;
    if (!was || !isEnabled())
        return;
    const QPoint c = mapFromGlobal(QCursor::pos()) - clientRect().topLeft();
    MouseLeave(KeyboardShiftState(), c.x(), c.y());
}

// While a mouse button is held Qt keeps the crossing events back until the release; the button tells
// them as the pointer crosses its edge, and enterEvent/leaveEvent drop the late copies.
void TCuteButton::mouseMoveEvent(QMouseEvent *e)
{
    if (e->buttons() == Qt::NoButton)
        return;
    const QPoint pos = e->position().toPoint();
    const bool inside = rect().contains(pos);
    if (inside == hovered_)
        return;
    hovered_ = inside;
    const QPoint c = pos - clientRect().topLeft();
    if (inside)
        MouseEnter(e->modifiers(), c.x(), c.y());
    else
        MouseLeave(e->modifiers(), c.x(), c.y());
}

void TCuteButton::MouseEnter(Qt::KeyboardModifiers shift, int x, int y)
{
    QPointer<TCuteButton> self(this);
    fire(OnMouseEnter, this, shift, x, y);
    if (!self)
        return;
    const bool leftDown = QGuiApplication::mouseButtons() & Qt::LeftButton;
    setBevelOuter(leftDown ? BevelCut::Lowered : BevelCut::Raised);
}

void TCuteButton::MouseLeave(Qt::KeyboardModifiers shift, int x, int y)
{
    QPointer<TCuteButton> self(this);
    fire(OnMouseLeave, this, shift, x, y);
    if (!self)
        return;
    // A focused button keeps its look, so a press held while the pointer leaves stays lowered.
    if (!(hasFocus() && tabFocusUp_))
        setBevelOuter(BevelCut::None);
}

void TCuteButton::mousePressEvent(QMouseEvent *e)
{
    e->accept();
    if (e->button() == Qt::LeftButton) {
        clicked_ = true;
        leftHeld_ = true;
    }
    const QPoint c = e->position().toPoint() - clientRect().topLeft();
    MouseDown(e->button(), e->modifiers(), c.x(), c.y());
}

// The second press of a double-click presses the button again, but its release does not click.
// Qt delivers that press as this event alone (or, on some platforms, after an ordinary press).
void TCuteButton::mouseDoubleClickEvent(QMouseEvent *e)
{
    e->accept();
    const bool alreadyDown = e->button() == Qt::LeftButton && leftHeld_;
    if (e->button() == Qt::LeftButton) {
        clicked_ = false;
        leftHeld_ = true;
    }
    if (alreadyDown)
        return;
    const QPoint c = e->position().toPoint() - clientRect().topLeft();
    MouseDown(e->button(), e->modifiers(), c.x(), c.y());
}

void TCuteButton::mouseReleaseEvent(QMouseEvent *e)
{
    e->accept();
    const QPoint pos = e->position().toPoint();
    QPointer<TCuteButton> self(this);
    if (e->button() == Qt::LeftButton && clicked_) {
        clicked_ = false;
        if (clientRect().contains(pos)) {
            Click(); // before MouseUp: the button still looks pressed while the handler runs
            if (!self)
                return;
        }
    }
    const QPoint c = pos - clientRect().topLeft();
    MouseUp(e->button(), e->modifiers(), c.x(), c.y());
}

void TCuteButton::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    QPointer<TCuteButton> self(this);
    setFocus(Qt::MouseFocusReason); // runs OnExit elsewhere and our OnEnter
    if (!self)
        return;
    if (button == Qt::LeftButton)
        setBevelOuter(BevelCut::Lowered);
    fire(OnMouseDown, this, button, shift, x, y);
    if (!self)
        return;
    // Only while the press is still ours: a handler that took the focus away or opened a window
    // has ended it.
    if (button == Qt::LeftButton && dropDownMenu_ && leftHeld_) {
        keyboardDrop_ = false;
        BeginDropDown();
    }
}

void TCuteButton::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    QPointer<TCuteButton> self(this);
    if (button == Qt::LeftButton) {
        const QPoint widgetPos = QPoint(x, y) + clientRect().topLeft();
        const bool active = window()->focusWidget() == this;
        setBevelOuter(clientRect().contains(widgetPos) || (tabFocusUp_ && active) ? BevelCut::Raised
                                                                                   : BevelCut::None);
    }
    fire(OnMouseUp, this, button, shift, x, y);
    if (!self)
        return;
    freeDropDownTimer();
    leftHeld_ = false; // the capture is released
}

// ---- keyboard -----------------------------------------------------------------------------------------

namespace {
bool isReturn(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
} // namespace

void TCuteButton::keyPressEvent(QKeyEvent *e)
{
    QPointer<TCuteButton> self(this);
    int key = e->key();
    KeyDown(key, e->modifiers());
    if (!self || e->key() == Qt::Key_Space || isReturn(e->key()))
        e->accept();
    else
        QWidget::keyPressEvent(e);
}

void TCuteButton::keyReleaseEvent(QKeyEvent *e)
{
    // X11 reports a held key as release/press pairs; only the real release counts.
    if (e->isAutoRepeat()) {
        e->accept();
        return;
    }
    QPointer<TCuteButton> self(this);
    int key = e->key();
    KeyUp(key, e->modifiers());
    if (!self || e->key() == Qt::Key_Space || isReturn(e->key()))
        e->accept();
    else
        QWidget::keyReleaseEvent(e);
}

void TCuteButton::KeyDown(int &key, Qt::KeyboardModifiers shift)
{
    QPointer<TCuteButton> self(this);
    fire(OnKeyDown, this, key, shift);
    if (!self || !isEnabled())
        return;
    if (key == Qt::Key_Space) {
        spacePressed_ = true;
        setBevelOuter(BevelCut::Lowered);
        if (dropDownMenu_) {
            keyboardDrop_ = true;
            BeginDropDown();
        }
    } else if (isReturn(key)) {
        setBevelOuter(BevelCut::Lowered);
        if (dropDownMenu_ && dropDownDelay_ == 0)
            DropDown();
        else
            Click();
        if (self)
            setBevelOuter(releasedBevel());
    } else if (spacePressed_) {
        spacePressed_ = false; // another key abandons the pending space click
        setBevelOuter(releasedBevel());
    }
}

void TCuteButton::KeyUp(int &key, Qt::KeyboardModifiers shift)
{
    QPointer<TCuteButton> self(this);
    fire(OnKeyUp, this, key, shift);
    if (!self)
        return;
    freeDropDownTimer();
    if (spacePressed_ && key == Qt::Key_Space) {
        spacePressed_ = false;
        Click();
        if (self)
            setBevelOuter(releasedBevel());
    }
}

void TCuteButton::accelerator()
{
    if (!isEnabled() || !parentWidget() || !parentWidget()->isVisible())
        return;
    QPointer<TCuteButton> self(this);
    setBevelOuter(BevelCut::Lowered);
    if (dropDownMenu_ && dropDownDelay_ == 0)
        DropDown();
    else
        Click();
    if (self)
        setBevelOuter(releasedBevel());
}

// ---- focus, activation, visibility and enabled state ---------------------------------------------

// The focus counts as entered and left the way a screen's active control changes: the button is
// entered while it is its window's focus child. A popup menu or another window taking the keyboard for
// a while leaves it so, and getting the keyboard back is no new entry. A window hidden, or a focus
// child changed while the window was inactive (which sends no focus events), ends the entry.
void TCuteButton::focusInEvent(QFocusEvent *e)
{
    QPointer<TCuteButton> self(this);
    if (!entered_) {
        entered_ = true;
        DoEnter();
        if (!self)
            return;
    }
    QWidget::focusInEvent(e); // repaints
}

void TCuteButton::focusOutEvent(QFocusEvent *e)
{
    QPointer<TCuteButton> self(this);
    leaveIfNotFocusChild();
    if (!self)
        return;
    QWidget::focusOutEvent(e);
}

void TCuteButton::leaveIfNotFocusChild()
{
    if (entered_ && (window()->focusWidget() != this || !isVisible())) {
        entered_ = false;
        DoExit();
    }
}

bool TCuteButton::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::WindowDeactivate) {
        QPointer<TCuteButton> self(this);
        // A press under way when the window loses the activation gets its release elsewhere. (The
        // activation may come after the press that activated the window: that press stays.)
        if (e->type() == QEvent::WindowDeactivate)
            abandonPress();
        leaveIfNotFocusChild();
        if (!self)
            return true;
    }
    return QWidget::event(e);
}

void TCuteButton::hideEvent(QHideEvent *e)
{
    QPointer<TCuteButton> self(this);
    hovered_ = false;
    abandonPress();
    leaveIfNotFocusChild();
    if (!self)
        return;
    setBevelOuter(BevelCut::None);
    QWidget::hideEvent(e);
}

void TCuteButton::abandonPress()
{
    clicked_ = false;
    leftHeld_ = false;
    spacePressed_ = false;
    freeDropDownTimer();
    // A click already running keeps its pressed look until it returns.
    if (bevelOuter_ == BevelCut::Lowered && clicksRunning_ == 0 && !menuShowing_)
        setBevelOuter(hovered_ || (tabFocusUp_ && window()->focusWidget() == this) ? BevelCut::Raised
                                                                                   : BevelCut::None);
}

void TCuteButton::DoEnter()
{
    if (tabFocusUp_)
        setBevelOuter(BevelCut::Raised);
    fire(OnEnter, this);
}

void TCuteButton::DoExit()
{
    // A press waiting for its release (Space, or a hold before the delayed menu) dies with the
    // focus: its release would come to another control, and the timer must not drop the menu under
    // a button that is no longer in use.
    clicked_ = false;
    leftHeld_ = false;
    spacePressed_ = false;
    freeDropDownTimer();
    QPointer<TCuteButton> self(this);
    fire(OnExit, this);
    if (self)
        setBevelOuter(BevelCut::None);
}

// QWidget repaints by itself on enabled, font and palette changes.
void TCuteButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange && !isEnabled()) {
        abandonPress();
        setBevelOuter(BevelCut::None);
    }
    QWidget::changeEvent(e);
}

// ---- click and drop-down ------------------------------------------------------------------------------

void TCuteButton::Click()
{
    if (menuShowing_) {
        menuShowing_ = false; // the click the drop-down itself produced
        return;
    }
    QPointer<TCuteButton> self(this);
    ++clicksRunning_;
    if (!egnoreContClick_) {
        fire(OnClick, this);
    } else {
        // Run the handler detached, and deliver what queued up meanwhile while it is still detached,
        // so those clicks find no handler. The handler is re-attached even when it failed, unless it
        // attached another one itself.
        TNotifyEvent saved = std::move(OnClick);
        OnClick = nullptr;
        if (saved) {
            pz::guard([&] { saved(this); });
            if (self)
                QCoreApplication::processEvents();
        }
        if (self && !OnClick)
            OnClick = std::move(saved);
    }
    if (self)
        --clicksRunning_;
}

void TCuteButton::BeginDropDown()
{
    if (dropDownDelay_ <= 0) {
        DropDown();
        return;
    }
    if (dropDownTimer_)
        return;
    dropDownTimer_ = new TCuteButtonTimer(this);
    dropDownTimer_->setInterval(dropDownDelay_);
    connect(dropDownTimer_, &QTimer::timeout, this, pz::guarded([this] { dropDownTimerFired(); }));
    dropDownTimer_->start();
}

void TCuteButton::dropDownTimerFired()
{
    TCuteButtonTimer *t = dropDownTimer_;
    dropDownTimer_ = nullptr;
    if (t)
        t->deleteLater(); // we are inside its timeout
    if (keyboardDrop_) {
        DropDown();
    } else if (leftHeld_) {
        QPointer<TCuteButton> self(this);
        DropDown(); // the menu's loop may delete the button
        if (self)
            leftHeld_ = false;
    }
}

void TCuteButton::freeDropDownTimer()
{
    if (!dropDownTimer_)
        return;
    delete dropDownTimer_;
    dropDownTimer_ = nullptr;
}

void TCuteButton::DropDown()
{
    // One menu at a time: the events processed before the menu shows may hold another Return or
    // accelerator for this button.
    if (!dropDownMenu_ || dropping_)
        return;
    QPointer<TCuteButton> self(this);
    const QPoint p = mapToGlobal(QPoint(0, height()));
    dropping_ = true;
    menuShowing_ = true;
    QCoreApplication::processEvents();
    if (!self)
        return;
    if (dropDownMenu_) {
        // A press on the button itself only closes the menu; it is not played again to the button.
        dropDownMenu_->setNoReplayFor(this);
        dropDownMenu_->exec(p);
    }
    if (!self)
        return;
    // The release that ended the hold went to the menu; play it back here. A release that still
    // arrives later must not click.
    clicked_ = false;
    if (keyboardDrop_) {
        int key = Qt::Key_Space;
        KeyUp(key, Qt::NoModifier);
    } else {
        MouseUp(Qt::LeftButton, Qt::NoModifier, 0, 0);
    }
    if (self) {
        menuShowing_ = false;
        dropping_ = false;
    }
}
