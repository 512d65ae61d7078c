#pragma once
// What the window system is told about a window beyond what Qt says: whether it has a
// taskbar entry, and the names a taskbar and a desktop file match it by. X11 only; elsewhere (Wayland,
// offscreen) every call does nothing.
#include <QByteArray>
#include <QList>
#include <QString>

class QWidget;

namespace x11window {

// True when the program runs on an X11 display.
bool available();

// No taskbar or pager entry for the window. Set before every show: a window manager drops the
// state when the window is withdrawn.
void skipTaskbar(QWidget *w);

// The window belongs to `owner`: a window manager keeps it above the owner. Set after every show
// (Qt writes this hint itself when it maps a window, but only for dialog-like types).
void setTransientFor(QWidget *w, QWidget *owner);

// The text a taskbar shows for the window (its name) and its icon name.
void setTaskbarNames(QWidget *w, const QString &name, const QByteArray &iconName);

// A window of fixed size that must stay in sight (Motif window-manager hints): it may be moved and
// closed, never resized, minimised or maximised; `framed` keeps the border and the title bar
// without the minimise and maximise boxes, otherwise it has no decoration. Set before every show
// (Qt writes its own hints when it creates the window).
void setFixedFrame(QWidget *w, bool framed);

// True when a window manager runs on the display (it announces itself on the root window).
bool windowManagerRunning();

// Gives the keyboard to the window when no window manager does it: without one, the keyboard falls
// to the root window when a window that had it goes away, and keys then go wherever the pointer is.
void takeKeyboard(QWidget *w);

// What the window carries now, for checks: its name, icon name, class ("instance", "class") and the
// atoms of its state as names.
struct Properties {
    QString name;
    QString iconName;
    QByteArray instance, className;
    QList<QByteArray> state;
    unsigned long transientFor = 0;
};
Properties properties(QWidget *w);

} // namespace x11window
