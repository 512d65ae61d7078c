#pragma once
// The application object: owns the shared state and the seventeen screens, keeps the model of which
// screen is active, and guards every event handler so that an error ends in one standard error box.
#include "shell/registry.h"
#include "shell/screen.h"
#include "shell/sharedstate.h"

#include <QApplication>
#include <QList>
#include <QPointer>



class App : public QApplication {
    Q_OBJECT
public:
    App(int &argc, char **argv);
    ~App() override;

    static App *instance() { return static_cast<App *>(QCoreApplication::instance()); }
    static QString title(); // "検定用ぴかざん"

    SharedState &state() { return state_; }
    Screens &screens() { return screens_; }

    // Creates the seventeen screens in the program's order (running each FormCreate);
    // destroyScreens runs FormDestroy and deletes them. Tests call both for a fresh program.
    void createScreens();
    void destroyScreens();

    bool notify(QObject *receiver, QEvent *event) override;

    // Ends the program: every event loop returns, also one that has not started yet.
    void endProgram();
    // The main loop (the program's exec).
    int run();
    bool ending() const { return ending_; }

    // --- the active-screen model ---
    Screen *activeScreen() const { return active_; }
    bool isOpen(const Screen *s) const;
    QList<Screen *> openScreens() const { return open_; }
    bool modalRunning() const { return !modal_.isEmpty(); }
    void showScreen(Screen *s);
    void hideScreen(Screen *s);
    void showModal(Screen *s);
    void forgetScreen(Screen *s); // a screen being destroyed

private:
    void activate(Screen *s, bool runActivate);
    void activateTopmost();

    SharedState state_;
    Screens screens_;
    QList<Screen *> open_; // bottom .. top
    QPointer<Screen> active_;
    QList<Screen *> modal_;
    QList<Screen *> created_;
    bool ending_ = false;
    bool inMainLoop_ = false;
    QList<class QEventLoop *> modalLoops_;
};
