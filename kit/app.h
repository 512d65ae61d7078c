#pragma once
// The application object: owns the shared state and every screen, keeps the model of which
// screen is active, and guards every event handler so that an error ends in one standard error box.
#include "kit/registry.h"
#include "kit/screen.h"
#include "kit/screenmodel.h"
#include "kit/sharedstate.h"

#include <QApplication>
#include <QList>
#include <QPointer>



class App : public QApplication, public ScreenModel {
    Q_OBJECT
public:
    App(int &argc, char **argv);
    ~App() override;

    static App *instance() { return static_cast<App *>(QCoreApplication::instance()); }
    static QString title(); // "検定用ぴかざん"

    SharedState &state() override { return state_; }
    Screens &screens() override { return screens_; }

    // Creates every screen in the program's order (running each FormCreate);
    // destroyScreens runs FormDestroy and deletes them. Tests call both for a fresh program.
    void createScreens();
    void destroyScreens();

    bool notify(QObject *receiver, QEvent *event) override;

    // Ends the program: every event loop returns, also one that has not started yet.
    void endProgram();
    // The main loop (the program's exec).
    int run();
    bool ending() const override { return ending_; }

    // --- the active-screen model ---
    Screen *activeScreen() const { return active_; }
    bool isOpen(const Screen *s) const;
    QList<Screen *> openScreens() const { return open_; }
    bool modalRunning() const { return !modal_.isEmpty(); }
    void showScreen(Screen *s) override;
    void hideScreen(Screen *s) override;
    void showModal(Screen *s) override;
    void forgetScreen(Screen *s) override; // a screen being destroyed

    // The window a message box belongs to, so that it stays above it: the modal screen running,
    // else the active screen; never a hidden one (a handler that closed its screen and then reports
    // an error speaks for the screen left on top). None before the first screen shows.
    QWidget *boxOwner() const override;
    // The window that must have the keyboard now: a modal box or screen running, else the active
    // screen.
    QWidget *keyboardOwner() const;

    // A screen the window system minimised: back in sight when the model shows or activates it;
    // dialogs and panels, which have no taskbar entry to come back from, at once.
    void restoreMinimised(Screen *s) override;

private:
    void activate(Screen *s, bool runActivate);
    // Raises the screen, back from minimised, with the keyboard.
    void bringToFront(Screen *s);
    // A message box or other modal window of Qt's has gone: the keyboard goes back to the
    // window the model says, also where no window manager hands it on.
    void returnKeyboard();
    void activateTopmost();
    // Tells the window system what the model says before a screen is shown: whom it belongs to,
    // whether it has a taskbar entry. Returns the screen it belongs to, if any.
    Screen *prepareWindow(Screen *s, Screen *opener);
    // The window system gave the keyboard to a window of ours; anything but what the model says
    // (a disabled screen, one under a modal box, one the window manager raised on its own) is put
    // right: the active screen goes back on top with the keyboard.
    void focusMoved(QWindow *to);
    void putActiveOnTop();

    SharedState state_;
    Screens screens_;
    QList<Screen *> open_; // bottom .. top
    QPointer<Screen> active_;
    QList<Screen *> modal_;
    QList<Screen *> created_;
    bool ending_ = false;
    bool inMainLoop_ = false;
    QList<class QEventLoop *> modalLoops_;
    bool correctionPending_ = false;
    bool keyboardReturnPending_ = false;
};
