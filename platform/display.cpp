#include "platform/display.h"

#include "base/displayscale.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace display {

namespace {

// Xlib's default error handler ends the process (on BadMatch, say); a failed request must only fail.
int xErrors = 0;
int onXError(Display *, XErrorEvent *)
{
    ++xErrors;
    return 0;
}

QSize qtScreenSize()
{
    if (auto *s = QGuiApplication::primaryScreen())
        return s->geometry().size();
    return QSize(800, 600);
}

// No display modes at all: Wayland, the offscreen platform, or an X server without RandR.
class NoModes : public Layer {
public:
    bool enumMode(int, Mode &) override { return false; }
    ChangeResult change(const Mode &, bool) override { return ChangeResult::Failed; }
    void current(int &w, int &h, int &bpp) override
    {
        const QSize s = qtScreenSize();
        w = s.width();
        h = s.height();
        bpp = 32;
        if (auto *screen = QGuiApplication::primaryScreen())
            bpp = screen->depth();
    }
    void reboot() override {}
};

// XRandR: the modes are the screen sizes with their refresh rates, in the server's order. An X
// server has one depth per screen, so every mode carries the default depth.
class XRandR : public Layer {
public:
    explicit XRandR(Display *dpy) : dpy_(dpy) { XSetErrorHandler(onXError); }
    ~XRandR() override { XCloseDisplay(dpy_); }

    bool enumMode(int i, Mode &out) override
    {
        const Window root = DefaultRootWindow(dpy_);
        int nsizes = 0;
        XRRScreenSize *sizes = XRRSizes(dpy_, DefaultScreen(dpy_), &nsizes);
        int k = 0;
        for (int s = 0; s < nsizes; ++s) {
            int nrates = 0;
            short *rates = XRRRates(dpy_, DefaultScreen(dpy_), s, &nrates);
            const int count = nrates > 0 ? nrates : 1;
            for (int r = 0; r < count; ++r, ++k) {
                if (k != i)
                    continue;
                out.width = sizes[s].width;
                out.height = sizes[s].height;
                out.bitsPerPixel = DefaultDepth(dpy_, DefaultScreen(dpy_));
                out.refresh = nrates > 0 ? rates[r] : 0;
                out.sizeIndex = s;
                return true;
            }
        }
        (void)root;
        return false;
    }

    ChangeResult change(const Mode &mode, bool) override
    {
        const Window root = DefaultRootWindow(dpy_);
        XRRScreenConfiguration *conf = XRRGetScreenInfo(dpy_, root);
        if (!conf)
            return ChangeResult::Failed;
        Rotation rot = 0;
        XRRConfigCurrentConfiguration(conf, &rot);
        xErrors = 0;
        const Status st = mode.refresh > 0
            ? XRRSetScreenConfigAndRate(dpy_, conf, root, mode.sizeIndex, rot, short(mode.refresh), CurrentTime)
            : XRRSetScreenConfig(dpy_, conf, root, mode.sizeIndex, rot, CurrentTime);
        XSync(dpy_, False);
        XRRFreeScreenConfigInfo(conf);
        if (st != RRSetConfigSuccess || xErrors)
            return st == RRSetConfigInvalidConfigTime || st == RRSetConfigInvalidTime ? ChangeResult::BadMode
                                                                                     : ChangeResult::Failed;
        return ChangeResult::Successful;
    }

    void current(int &w, int &h, int &bpp) override
    {
        const Window root = DefaultRootWindow(dpy_);
        XRRScreenConfiguration *conf = XRRGetScreenInfo(dpy_, root);
        w = DisplayWidth(dpy_, DefaultScreen(dpy_));
        h = DisplayHeight(dpy_, DefaultScreen(dpy_));
        if (conf) {
            Rotation rot = 0;
            const SizeID id = XRRConfigCurrentConfiguration(conf, &rot);
            int nsizes = 0;
            XRRScreenSize *sizes = XRRConfigSizes(conf, &nsizes);
            if (id < nsizes) {
                w = sizes[id].width;
                h = sizes[id].height;
            }
            XRRFreeScreenConfigInfo(conf);
        }
        bpp = DefaultDepth(dpy_, DefaultScreen(dpy_));
    }

    // XRandR applies a mode at once and never asks for a restart, so change() never answers
    // Restart and this is unreachable from this backend. Rebooting the machine is not a drill
    // program's business on Linux either: it does nothing.
    void reboot() override {}

private:
    Display *dpy_;
};

std::unique_ptr<Layer> makeSystemLayer()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (Display *dpy = XOpenDisplay(nullptr)) {
            int ev = 0, err = 0;
            if (XRRQueryExtension(dpy, &ev, &err))
                return std::make_unique<XRandR>(dpy);
            XCloseDisplay(dpy);
        }
    }
    return std::make_unique<NoModes>();
}

} // namespace

Layer &systemLayer()
{
    static std::unique_ptr<Layer> layer = makeSystemLayer();
    return *layer;
}

namespace {
int guardPipe = -1;
}

void armCrashGuard(int width, int height)
{
    if (guardPipe >= 0 || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    const QByteArray exe = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pikazan-display-guard")).toLocal8Bit();
    if (access(exe.constData(), X_OK) != 0)
        return;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    const QByteArray w = QByteArray::number(width), h = QByteArray::number(height);
    char *const args[] = {const_cast<char *>(exe.constData()), const_cast<char *>(w.constData()),
                          const_cast<char *>(h.constData()), nullptr};
    // A session of its own: a signal to the program's process group (SIGKILL from a task manager,
    // SIGHUP from a closed terminal) must not take the guard down with the program it watches.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, exe.constData(), &actions, &attr, args, environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (rc != 0) {
        close(fds[1]);
        return;
    }
    guardPipe = fds[1];
}

void disarmCrashGuard()
{
    if (guardPipe < 0)
        return;
    // A guard that is gone already (killed on its own) makes this write fail with EPIPE; SIGPIPE
    // is ignored for the whole program (unixsignals), so that only the write fails.
    [[maybe_unused]] ssize_t n = write(guardPipe, "x", 1);
    close(guardPipe);
    guardPipe = -1;
}

QSize currentSize()
{
    int w = 0, h = 0, bpp = 0;
    systemLayer().current(w, h, bpp);
    return QSize(w, h);
}

namespace {
double factorInUse = 1.0;
bool scaledLayout = false; // decided before the application: the layout is drawn to the display's size
bool severalMonitors = false; // an extended desktop: switching would change it under every monitor

displayscale::Choice machineChoice()
{
    // The launcher has refused a bad value; one given by hand counts as the default.
    return displayscale::choiceFrom(qEnvironmentVariable("PIKAZAN_DISPLAY")).value_or(displayscale::Choice::Switch);
}

// The desktop's monitors (RandR 1.5); a server without them has its root window as the one monitor.
QList<displayscale::Monitor> monitorsOf(Display *dpy, QSize root)
{
    QList<displayscale::Monitor> list;
    int major = 0, minor = 0;
    if (XRRQueryVersion(dpy, &major, &minor) && (major > 1 || (major == 1 && minor >= 5))) {
        int n = 0;
        if (XRRMonitorInfo *info = XRRGetMonitors(dpy, DefaultRootWindow(dpy), True, &n)) {
            for (int i = 0; i < n; ++i) {
                char *name = XGetAtomName(dpy, info[i].name);
                // Qt reads a monitor's name byte by byte: its screen must be named the same way.
                list.append({QString::fromLatin1(name), QSize(info[i].width, info[i].height), bool(info[i].primary)});
                if (name)
                    XFree(name);
            }
            XRRFreeMonitors(info);
        }
    }
    if (list.isEmpty())
        list.append({QString(), root, true});
    return list;
}
} // namespace

bool neverSwitch() { return machineChoice() == displayscale::Choice::Scale || severalMonitors; }

void scaleLayoutBeforeApp()
{
    // Only an X display is asked; elsewhere (offscreen, Wayland without X) nothing is scaled.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool x = (platform.isEmpty() || platform.startsWith("xcb")) && !qEnvironmentVariableIsEmpty("DISPLAY");
    displayscale::Plan plan;
    if (Display *dpy = x ? XOpenDisplay(nullptr) : nullptr) {
        int ev = 0, err = 0;
        if (!XRRQueryExtension(dpy, &ev, &err)) {
            XCloseDisplay(dpy);
        } else {
            XRandR probe(dpy); // closes the connection
            bool switchable = false;
            Mode m;
            for (int i = 0; probe.enumMode(i, m); ++i)
                switchable = switchable || (QSize(m.width, m.height) == displayscale::kLayout);
            int w = 0, h = 0, bpp = 0;
            probe.current(w, h, bpp);
            plan = displayscale::plan(monitorsOf(dpy, QSize(w, h)), machineChoice(), switchable);
        }
    }
    severalMonitors = plan.neverSwitch;

    // A factor given by hand is left as it is; the monitors still decide that nothing is switched.
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        factorInUse = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
        if (factorInUse <= 0)
            factorInUse = 1.0;
        scaledLayout = factorInUse != 1.0 || (severalMonitors && plan.scales);
        return;
    }
    if (qEnvironmentVariableIsSet("QT_SCREEN_SCALE_FACTORS")) {
        // The primary's own entry, where the server named it.
        factorInUse = displayscale::listedFactor(qEnvironmentVariable("QT_SCREEN_SCALE_FACTORS"), plan.primary)
                          .value_or(1.0);
        scaledLayout = factorInUse != 1.0 || (severalMonitors && plan.scales);
        return;
    }

    // An 800×600 display, or one that will be switched to it, keeps every window where it was.
    scaledLayout = plan.scales;
    factorInUse = plan.factor;
    if (!plan.screenFactors.isEmpty())
        qputenv("QT_SCREEN_SCALE_FACTORS", plan.screenFactors.toLocal8Bit());
    else if (plan.factor != 1.0)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(plan.factor, 'g', 8));
    else
        return;
    // The whole factor is ours: a desktop's own device pixel ratio on top would cut the layout off.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

double layoutFactor() { return factorInUse; }

bool layoutScaled() { return scaledLayout; }

void setLayoutScaled(bool scaled) { scaledLayout = scaled; }

QSize layoutSize()
{
    // Scaled, the display was not switched: Qt's screen has the size in the layout's pixels.
    return scaledLayout ? qtScreenSize() : currentSize();
}

} // namespace display
