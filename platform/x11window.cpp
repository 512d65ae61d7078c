#include "platform/x11window.h"

#include <QGuiApplication>
#include <QList>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace x11window {

namespace {
Display *display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

Atom atom(Display *d, const char *name) { return XInternAtom(d, name, False); }

// The X window of a window, made if it has none yet. Not QWidget::winId(): that also marks the
// widget native, and a marked widget with a parent (a box or the PC check's window over a screen)
// turns every widget of that parent into an X window of its own, for as long as the program runs;
// over a screen's transparent buttons nothing is then painted.
struct Maker : QWidget {
    using QWidget::create;
};

Window xid(QWidget *w)
{
    if (!w->isWindow())
        return w->winId();
    if (!w->internalWinId())
        (w->*&Maker::create)(0, true, true);
    return w->internalWinId();
}

// The atoms of a window's ATOM-list property.
QList<Atom> atomList(Display *d, Window w, Atom property)
{
    QList<Atom> out;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(d, w, property, 0, 1024, False, XA_ATOM, &type, &format, &count, &after, &data) == Success
        && data && type == XA_ATOM && format == 32) {
        const auto *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count; ++i)
            out << atoms[i];
    }
    if (data)
        XFree(data);
    return out;
}

QByteArray textProperty(Display *d, Window w, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QByteArray out;
    if (XGetWindowProperty(d, w, property, 0, 4096, False, AnyPropertyType, &type, &format, &count, &after, &data) == Success
        && data && format == 8)
        out = QByteArray(reinterpret_cast<const char *>(data), int(count));
    if (data)
        XFree(data);
    return out;
}
} // namespace

bool available() { return display() != nullptr; }

void skipTaskbar(QWidget *w)
{
    Display *d = display();
    if (!d || !w)
        return;
    const Window win = xid(w);
    const Atom state = atom(d, "_NET_WM_STATE");
    QList<Atom> atoms = atomList(d, win, state);
    for (const char *name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        if (!atoms.contains(atom(d, name)))
            atoms << atom(d, name);
    // Qt merges its own states into this list when it maps the window.
    XChangeProperty(d, win, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(atoms.constData()),
                    int(atoms.size()));
    XFlush(d);
}

void setTransientFor(QWidget *w, QWidget *owner)
{
    Display *d = display();
    if (!d || !w || !owner)
        return;
    XSetTransientForHint(d, xid(w), xid(owner));
    XFlush(d);
}

void setTaskbarNames(QWidget *w, const QString &name, const QByteArray &iconName)
{
    Display *d = display();
    if (!d || !w)
        return;
    const Window win = xid(w);
    const Atom utf8 = atom(d, "UTF8_STRING");
    const QByteArray n = name.toUtf8();
    XChangeProperty(d, win, atom(d, "_NET_WM_NAME"), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(n.constData()), int(n.size()));
    XChangeProperty(d, win, atom(d, "_NET_WM_ICON_NAME"), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(iconName.constData()), int(iconName.size()));
    XChangeProperty(d, win, XA_WM_ICON_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(iconName.constData()), int(iconName.size()));
    XFlush(d);
}

namespace {
// The Motif window-manager hints, as the window managers read them (five 32-bit fields).
constexpr unsigned long kMwmHintsFunctions = 1, kMwmHintsDecorations = 2;
constexpr unsigned long kMwmFuncMove = 4, kMwmFuncClose = 32;
constexpr unsigned long kMwmDecorBorder = 2, kMwmDecorTitle = 8, kMwmDecorMenu = 16;
} // namespace

void setFixedFrame(QWidget *w, bool framed)
{
    Display *d = display();
    if (!d || !w)
        return;
    const unsigned long hints[5] = {kMwmHintsFunctions | kMwmHintsDecorations, kMwmFuncMove | kMwmFuncClose,
                                    framed ? kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu : 0, 0, 0};
    const Atom mwm = atom(d, "_MOTIF_WM_HINTS");
    XChangeProperty(d, xid(w), mwm, mwm, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(hints), 5);
    XFlush(d);
}

bool windowManagerRunning()
{
    Display *d = display();
    if (!d)
        return false;
    // The check window the manager names on the root window must name itself too: a stale
    // property left by a manager that has ended does not count.
    const auto checkWindow = [d](Window w) -> Window {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        Window out = None;
        if (XGetWindowProperty(d, w, atom(d, "_NET_SUPPORTING_WM_CHECK"), 0, 1, False, XA_WINDOW, &type, &format, &count,
                               &after, &data) == Success
            && data && type == XA_WINDOW && format == 32 && count == 1)
            out = *reinterpret_cast<const Window *>(data);
        if (data)
            XFree(data);
        return out;
    };
    const Window check = checkWindow(DefaultRootWindow(d));
    if (check == None)
        return false;
    // The check window may be gone: ask without letting an X error end the program.
    XErrorHandler old = XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    const bool alive = checkWindow(check) == check;
    XSync(d, False);
    XSetErrorHandler(old);
    return alive;
}

void takeKeyboard(QWidget *w)
{
    Display *d = display();
    if (!d || !w || !w->isVisible() || windowManagerRunning())
        return;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, xid(w), &attributes) || attributes.map_state != IsViewable)
        return; // not on the screen (yet): focusing it would be an X error
    XSetInputFocus(d, xid(w), RevertToParent, CurrentTime);
    XFlush(d);
}

Properties properties(QWidget *w)
{
    Properties p;
    Display *d = display();
    if (!d || !w)
        return p;
    const Window win = xid(w);
    p.name = QString::fromUtf8(textProperty(d, win, atom(d, "_NET_WM_NAME")));
    p.iconName = QString::fromUtf8(textProperty(d, win, atom(d, "_NET_WM_ICON_NAME")));
    const QList<QByteArray> cls = textProperty(d, win, XA_WM_CLASS).split('\0');
    p.instance = cls.value(0);
    p.className = cls.value(1);
    for (Atom a : atomList(d, win, atom(d, "_NET_WM_STATE"))) {
        char *n = XGetAtomName(d, a);
        p.state << QByteArray(n);
        XFree(n);
    }
    Window parent = None;
    if (XGetTransientForHint(d, win, &parent))
        p.transientFor = parent;
    return p;
}

} // namespace x11window
