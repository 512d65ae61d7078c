#pragma once
// The base of every screen: the shared window rules and the life-cycle hooks.
#include <QColor>
#include <QDeadlineTimer>
#include <QPoint>
#include <QPointer>
#include <QScreen>
#include <QSize>
#include <QString>
#include <QWidget>

#include "kit/style.h"

class ScreenModel;
struct SharedState;
struct Screens;

class Screen : public QWidget {
    Q_OBJECT
public:
    enum class Kind {
        FullScreen,          // borderless, the display's size, at 0,0
        FullScreenMaximised, // the same, shown maximised
        Panel,               // borderless, fixed client size, centred on the desktop
        Dialog,              // dialog frame, fixed client size at a fixed place
        SizeableDialog,      // sizeable frame, outer size at a fixed place
    };
    struct Layout {
        QString title;
        Kind kind = Kind::FullScreen;
        QSize size = {}; // client size (outer size for SizeableDialog); unused for full screens
        QPoint pos = {}; // top-left of the window; unused for full screens and panels
        QColor background = style::kDarkBlue;
        int fontPx = 12;
    };

    explicit Screen(const Layout &layout);
    ~Screen() override;

    // Applies the window rules, then runs FormCreate. Called once by the application.
    void create();

    // Navigation, through the application's active-screen model.
    void Show();
    void ShowModal();
    void Close(); // runs FormCloseQuery (which cannot keep the screen open), then hides
    void Hide();  // hides without the close handling

    const Layout &layout() const { return layout_; }
    using QWidget::font;
    bool isModalRunning() const { return modal_; }

    // Life-cycle hooks: FormCreate once, when the application creates the screen; FormShow when a
    // hidden screen is about to be shown; FormActivate each time it becomes the active screen;
    // FormCloseQuery when it is closed, before it hides; FormDestroy before the application deletes it.
    virtual void FormCreate() {}
    virtual void FormShow() {}
    virtual void FormActivate() {}
    virtual void FormCloseQuery() {}
    virtual void FormDestroy() {}
    // The main menu enables what a logged-in child may use; other screens have nothing to change.
    virtual void loginChanged() {}

    // Sets SharedState.loggedIn and tells the main menu, in one step.
    void setLoggedIn(bool loggedIn);
    // The main menu takes no clicks while a drill or its answer box is up.
    void setMainMenuEnabled(bool enabled);

    // The full-screen sizing rule, measuring the display now.
    void sizeToDisplay();
    // The display a full screen fills: `on`, its layout centred there, or none for the program's own
    // (the primary one). A display that goes away leaves the window to Qt and to the screen's owner.
    void setDisplay(QScreen *on);
    QScreen *display() const { return display_; }
    // A display of the desktop besides the primary one (a projector beside the teacher's panel), if any.
    static QScreen *otherDisplay();

    // The size the screen's controls are laid out in: 800×600 for a full screen on a scaled display
    // (its controls stand centred in it), the window's own size otherwise.
    QSize layoutSize() const;
    // Where the layout's 0,0 stands in the window: 0,0 unless a full screen is centred on a scaled
    // display. A control placed after the screen was made is placed at its design place plus this.
    QPoint layoutOrigin() const { return origin_; }
    // The origin of the layout a control on `parent` is placed in (0,0 on anything but a screen).
    static QPoint originFor(const QWidget *parent);

signals:
    void modalFinished();

protected:
    static ScreenModel &model();
    SharedState &state() const;
    Screens &screens() const;
    // A font of the program's default family with a pixel height.
    static QFont font(int px, bool bold = false, bool italic = false);

    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class App;
    // A sizeable dialog's design size is its outer size: when a window manager first frames it, the
    // client area shrinks by the frame. Once only; later sizes are the user's.
    void fitOuterSizeOnce();
    // A full screen on a scaled display: every control moves with the layout's centred origin.
    bool centresLayout() const;
    void followDisplay();
    void centreLayout();
    QPoint origin_;
    QPointer<QScreen> display_;
    QMetaObject::Connection displayFollowed_;
    bool created_ = false;
    bool fitted_ = false;
    QDeadlineTimer fitUntil_{QDeadlineTimer::Forever}; // set at the first showing
    Layout layout_;
    bool modal_ = false;
    bool closingByProgram_ = false;
};
