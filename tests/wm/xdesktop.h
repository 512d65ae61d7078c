#pragma once
// The real pointer and keyboard (xdotool) and what the X server says about the program's windows
// (xprop), for the suites that run on a real X server, with a window manager or without one.
#include "support/testmain.h"

#include "platform/textfile.h"
#include "users/userstore.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <functional>
#include <vector>

namespace xdesktop {

// Runs xdotool with these arguments; false (with its output in the log) when it fails.
inline bool xdo(const QStringList &args, QByteArray *out = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(5000) || p.exitCode() != 0) {
        qWarning() << "xdotool" << args << "failed:" << p.readAllStandardError();
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}
// A real click of `button` at a point of the screen; the events it causes are handled before return.
inline bool clickAt(QPoint global, int button = 1)
{
    const bool ok = xdo({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
                         QStringLiteral("click"), QString::number(button)});
    QTest::qWait(300);
    return ok;
}
inline bool clickOn(QWidget *w) { return clickAt(w->mapToGlobal(w->rect().center())); }
// A click that returns at once, for a Script step: the click may open a modal box or screen, and
// the script's own timer does not fire again inside a loop that one of its steps runs.
inline void clickNow(QWidget *w)
{
    const QPoint at = w->mapToGlobal(w->rect().center());
    xdo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
         QStringLiteral("1")});
}
// Real key presses to whichever window has the X input focus.
inline bool typeText(const QString &text)
{
    const bool ok = xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    QTest::qWait(200);
    return ok;
}
inline bool pressKey(const char *keysym)
{
    const bool ok = xdo({QStringLiteral("key"), QString::fromLatin1(keysym)});
    QTest::qWait(200);
    return ok;
}
// A key press that returns at once: the key may open a modal box, whose loop the caller runs in.
inline void pressKeyNow(const char *keysym) { xdo({QStringLiteral("key"), QString::fromLatin1(keysym)}); }

// One property of a window as xprop prints it ("NAME(TYPE) = …"), empty when it cannot be read.
inline QString xprop(WId window, const char *property)
{
    QProcess p;
    p.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), QString::fromLatin1(property)});
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}
// The window that has the X input focus, as the server says.
inline WId xFocus()
{
    QByteArray out;
    return xdo({QStringLiteral("getwindowfocus")}, &out) ? out.trimmed().toULongLong() : 0;
}

// The program's visible top-level windows, bottom to top, as the window manager stacks them.
inline QList<QWidget *> stacking()
{
    QProcess p;
    p.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    p.waitForFinished(5000);
    const QString out = QString::fromLatin1(p.readAllStandardOutput());
    QList<QWidget *> order;
    const QString ids = out.section(QLatin1Char('#'), 1);
    for (const QString &id : ids.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const WId wid = id.trimmed().toULongLong(&ok, 16);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (ok && w->isVisible() && w->internalWinId() == wid)
                order << w;
    }
    return order;
}
inline QWidget *topmost()
{
    const QList<QWidget *> order = stacking();
    return order.isEmpty() ? nullptr : order.last();
}
inline QWidget *focusWidget()
{
    QWindow *w = QGuiApplication::focusWindow();
    for (QWidget *t : QApplication::topLevelWidgets())
        if (w && t->windowHandle() == w)
            return t;
    return nullptr;
}
inline QString names(const QList<QWidget *> &ws)
{
    QStringList n;
    for (QWidget *w : ws)
        n << (w ? QString::fromLatin1(w->metaObject()->className()) : QStringLiteral("none"));
    return n.join(QLatin1Char(' '));
}
inline bool onTop(QWidget *w) { return topmost() == w && focusWidget() == w; }
// The message box up now, if any.
inline QWidget *openBox()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->inherits("QMessageBox"))
            return w;
    return nullptr;
}

// Steps run one after another from a timer, so that they go on inside the nested loop of a modal
// box or screen that the test opened, or that a step's key or click opened (a step must not run
// the loop itself: a timer does not fire again while its own handler runs). What they see is kept for the test
// to check afterwards.
class Script : public QObject {
public:
    explicit Script(int gapMs) { timer_.setInterval(gapMs); connect(&timer_, &QTimer::timeout, this, [this] { next(); }); }
    void add(std::function<void()> step) { steps_.push_back({std::move(step), {}, {}}); }
    // A step that waits until the condition holds (checked at every tick), for at most timeoutMs;
    // `timedOut` is set when it gave up.
    void waitUntil(std::function<bool()> condition, bool *timedOut, int timeoutMs = 5000)
    {
        steps_.push_back({[timedOut] { *timedOut = true; }, std::move(condition), timeoutMs});
    }
    void start() { timer_.start(); }
    bool done() const { return at_ >= steps_.size(); }
private:
    struct Step {
        std::function<void()> act; // for a wait: what to do when it gives up
        std::function<bool()> until;
        int timeoutMs = 0;
    };
    void next()
    {
        if (done()) {
            timer_.stop();
            return;
        }
        Step &step = steps_[at_];
        if (step.until) {
            if (!waiting_.isValid())
                waiting_.start();
            if (step.until()) {
                waiting_.invalidate();
                ++at_;
            } else if (waiting_.hasExpired(step.timeoutMs)) {
                waiting_.invalidate();
                ++at_;
                step.act();
            }
            return;
        }
        auto act = step.act; // a step may run a nested loop in which the next ones run
        ++at_;
        act();
    }
    QTimer timer_;
    QElapsedTimer waiting_;
    std::vector<Step> steps_;
    size_t at_ = 0;
};

// Real message boxes for the length of a test (the recorder answers them elsewhere).
struct RealBoxes {
    RealBoxes() { dialogs::setHook({}); }
    ~RealBoxes() { testsupport::install(); }
};

} // namespace xdesktop
