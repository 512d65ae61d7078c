#pragma once
// What a screen asks of the program's model of its screens, and the window a message box belongs
// to. The application object answers; screens and dialogs know only this, not the application.
class QWidget;
class Screen;
struct SharedState;
struct Screens;

class ScreenModel {
public:
    virtual void showScreen(Screen *s) = 0;
    virtual void showModal(Screen *s) = 0;
    virtual void hideScreen(Screen *s) = 0;
    virtual void restoreMinimised(Screen *s) = 0;
    virtual void forgetScreen(Screen *s) = 0; // a screen being destroyed
    virtual SharedState &state() = 0;
    virtual Screens &screens() = 0;
    virtual QWidget *boxOwner() const = 0;
    // The program is ending (a close, a logout): nothing new is asked of anybody.
    virtual bool ending() const = 0;

    // The model in charge; none before the application is made or once it is going away.
    static ScreenModel *current() { return current_; }

protected:
    ScreenModel() { current_ = this; }
    ~ScreenModel()
    {
        if (current_ == this)
            current_ = nullptr;
    }
    ScreenModel(const ScreenModel &) = delete;
    ScreenModel &operator=(const ScreenModel &) = delete;

private:
    static inline ScreenModel *current_ = nullptr;
};
