#pragma once
// TCuteButton: the program's own push button. A panel-like control that paints its caption and a
// two-level 3-D bevel itself; the outer bevel shows the state (none idle, raised hovered or focused,
// lowered pressed). It can drop a popup menu under itself, at once or after a hold delay, and it can
// drop the clicks that queue up while its click handler is still running (EgnoreContClick).
#include <QColor>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

class QShortcut;
class TCuteButton;

// The hold-delay timer of a delayed drop-down; owned by its button.
class TCuteButtonTimer : public QTimer {
    Q_OBJECT
public:
    explicit TCuteButtonTimer(TCuteButton *button);
    TCuteButton *Button; // the button it belongs to
};

// The kinds used by the button's properties. They live in a base so that the property getters can
// carry the same names: TCuteButton::BorderStyle::Single next to BorderStyle(). Where a type is
// named on its own (a variable, a parameter), write TCuteButtonKinds::BorderStyle.
struct TCuteButtonKinds {
    enum class BevelCut { None, Raised, Lowered };
    enum class BorderStyle { None, Single };
    enum class Layout { Top, Center, Bottom };
};

class TCuteButton : public QWidget, public TCuteButtonKinds {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject *sender)>;
    using TMouseMoveEvent =
        std::function<void(QObject *sender, Qt::KeyboardModifiers shift, int x, int y)>;
    using TMouseEvent = std::function<void(QObject *sender, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x, int y)>;
    // key may be changed by the handler; 0 stops further handling of the key.
    using TKeyEvent = std::function<void(QObject *sender, int &key, Qt::KeyboardModifiers shift)>;

    explicit TCuteButton(QWidget *parent = nullptr);
    ~TCuteButton() override;

    // Panel part.
    QString Caption() const { return caption_; }
    void setCaption(const QString &caption);
    QColor Color() const { return color_; }
    void setColor(const QColor &color);
    // Horizontal placement of the caption: Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment Alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);
    TCuteButtonKinds::BorderStyle BorderStyle() const { return borderStyle_; }
    void setBorderStyle(TCuteButtonKinds::BorderStyle style);
    int BevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int width);
    BevelCut BevelOuter() const { return bevelOuter_; }
    BevelCut BevelInner() const { return bevelInner_; }

    // Button part.
    QColor BevelShadowColor() const { return bevelShadowColor_; }
    void setBevelShadowColor(const QColor &color);
    QColor BevelHighlightColor() const { return bevelHighlightColor_; }
    void setBevelHighlightColor(const QColor &color);
    QColor DisabledColor() const { return disabledColor_; }
    void setDisabledColor(const QColor &color);
    int DropDownDelay() const { return dropDownDelay_; }
    void setDropDownDelay(int ms) { dropDownDelay_ = ms; }
    QMenu *DropDownMenu() const { return dropDownMenu_; }
    void setDropDownMenu(QMenu *menu);
    bool EgnoreContClick() const { return egnoreContClick_; }
    void setEgnoreContClick(bool on) { egnoreContClick_ = on; }
    bool Flat() const { return flat_; }
    void setFlat(bool on);
    TCuteButtonKinds::Layout Layout() const { return layout_; }
    void setLayout(TCuteButtonKinds::Layout layout);
    bool ShowFocusRect() const { return showFocusRect_; }
    void setShowFocusRect(bool on);
    bool TabFocusUp() const { return tabFocusUp_; }
    void setTabFocusUp(bool on) { tabFocusUp_ = on; }
    bool UseDisabledColor() const { return useDisabledColor_; }
    void setUseDisabledColor(bool on);
    int MarginX() const { return marginX_; }
    void setMarginX(int margin);
    int MarginY() const { return marginY_; }
    void setMarginY(int margin);

    // State a caller may look at (tests, the drop-down's owner).
    bool menuShowing() const { return menuShowing_; }
    bool spacePressed() const { return spacePressed_; }
    bool keyboardDrop() const { return keyboardDrop_; }
    TCuteButtonTimer *dropDownTimer() const { return dropDownTimer_; }

    // The client area (inside the single border, if any), in widget coordinates.
    QRect clientRect() const;
    // The caption rectangle before the pressed shift, as Paint lays it out (widget coordinates).
    QRect captionRect() const;

    // Handlers are plain members rather than signals, so that Click can detach OnClick while it runs
    // (EgnoreContClick) and attach it again afterwards.
    TNotifyEvent OnClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TMouseMoveEvent OnMouseEnter;
    TMouseMoveEvent OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;

    // Runs the click, as a release of the left button on the button would.
    virtual void Click();
    // Drops the menu now, or after DropDownDelay while the press is held.
    virtual void BeginDropDown();
    // Pops DropDownMenu up under the button and waits until it closes.
    virtual void DropDown();

    QSize sizeHint() const override { return {75, 25}; }

protected:
    // The button's own steps, called by the Qt event handlers below with the modifier keys and
    // client-area coordinates. The mouse, key and focus steps run the matching On... handler; a
    // subclass overrides a step to change it.
    virtual void MouseEnter(Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseLeave(Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void KeyDown(int &key, Qt::KeyboardModifiers shift);
    virtual void KeyUp(int &key, Qt::KeyboardModifiers shift);
    virtual void DoEnter();
    virtual void DoExit();
    virtual void Paint();

    void paintEvent(QPaintEvent *e) override;
    bool event(QEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void setBevelOuter(BevelCut cut);
    void dropDownTimerFired();
    void freeDropDownTimer();
    void accelerator();
    void updateShortcut();
    BevelCut releasedBevel() const; // raised with TabFocusUp, else none
    void abandonPress();            // a press whose release will not come here
    void leaveIfNotFocusChild();    // DoExit once the button stopped being its window's focus child

    QString caption_;
    QColor color_;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    TCuteButtonKinds::BorderStyle borderStyle_ = BorderStyle::None;
    int bevelWidth_ = 1;
    BevelCut bevelOuter_ = BevelCut::None;
    BevelCut bevelInner_ = BevelCut::Raised;

    QColor bevelShadowColor_;
    QColor bevelHighlightColor_;
    QColor disabledColor_{128, 128, 128};
    int dropDownDelay_ = 0;
    QPointer<QMenu> dropDownMenu_;
    bool menuShowing_ = false;
    bool egnoreContClick_ = false;
    bool flat_ = false;
    bool spacePressed_ = false;
    bool tabFocusUp_ = true;
    TCuteButtonKinds::Layout layout_ = Layout::Center;
    bool showFocusRect_ = false;
    bool useDisabledColor_ = false;
    bool keyboardDrop_ = false;
    int marginX_ = -1;
    int marginY_ = -1;
    TCuteButtonTimer *dropDownTimer_ = nullptr;

    bool clicked_ = false;    // a left press (not a double-click) awaits its release
    bool leftHeld_ = false;   // the left button went down on us and has not come up (our "capture")
    bool entered_ = false;    // the window's focus child since DoEnter, until DoExit
    bool hovered_ = false;    // the pointer is over the button as MouseEnter/MouseLeave last told
    bool dropping_ = false;   // DropDown is running
    int clicksRunning_ = 0;   // Click calls under way (nested through processEvents)
    QShortcut *shortcut_ = nullptr;
};
