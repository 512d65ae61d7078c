#pragma once
// Display modes of the primary display: the layer under TChDisplay. On X11 it is XRandR; where there
// is no X11 (Wayland, offscreen) there are no modes and nothing is ever changed.
#include <QSize>
#include <memory>

namespace display {

struct Mode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int refresh = 0;      // Hz, as the driver lists it
    int sizeIndex = -1;   // the backend's own handle for the mode
};

// What applying a mode can answer (the classic display-settings result codes).
enum class ChangeResult { Successful, Restart, Failed, BadMode, NotUpdated, BadFlags, BadParam };

class Layer {
public:
    virtual ~Layer() = default;
    // Mode i of the primary display in the driver's order; false when there is no mode i.
    virtual bool enumMode(int i, Mode &out) = 0;
    // Applies the mode and stores it as the user's setting. keepDepth: leave the colour depth alone.
    virtual ChangeResult change(const Mode &mode, bool keepDepth) = 0;
    // The current width, height and bits per pixel of the primary display.
    virtual void current(int &width, int &height, int &bitsPerPixel) = 0;
    // Restarts the computer.
    virtual void reboot() = 0;
};

// The layer of the platform the program runs on (XRandR under X11, otherwise one without modes).
Layer &systemLayer();
// The display's size now, read from the system layer.
QSize currentSize();

// Before the application object exists: decides the machine's choice (PIKAZAN_DISPLAY, passed by
// the launcher from its configuration) and, where the 800×600 layout must be scaled, has Qt draw
// everything at that factor (QT_SCALE_FACTOR), so that text and pictures are drawn at the scaled
// size and clicks map back. A desktop of several monitors is never switched, and each monitor is
// given its own factor by name (QT_SCREEN_SCALE_FACTORS). A factor given in the environment already
// (either variable) is left as it is.
void scaleLayoutBeforeApp();
// The factor the layout is drawn at on the primary monitor (1 when nothing is scaled).
double layoutFactor();
// True when the start decided to draw the layout to the display's size, centred (a display that
// is not 800×600 and will not be switched to it). Otherwise every window stands where it was
// designed. The setter is for a test that plays such a start.
bool layoutScaled();
void setLayoutScaled(bool scaled);
// True when the machine asks never to switch the display, or the desktop has several monitors.
bool neverSwitch();
// The size a full-screen window takes, in the layout's (logical) pixels.
QSize layoutSize();

// After a switch: a small guard process puts the display back to width x height if this process
// ends without calling disarmCrashGuard() (a crash or SIGKILL, which no handler of ours sees).
void armCrashGuard(int width, int height);
void disarmCrashGuard();

} // namespace display
