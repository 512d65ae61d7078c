#pragma once
// How large the 800×600 layout is drawn: the machine's choice between switching the display to
// 800×600 and scaling the layout to the display, and the factor that follows from a display's size.
#include <QPoint>
#include <QSize>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

namespace displayscale {

inline constexpr QSize kLayout{800, 600};

enum class Choice {
    Switch, // switch the display to 800×600; scale where it cannot be switched
    Scale,  // never switch; scale
};

// The choice a setting's value names ("switch", "scale"; nothing is the default, switch); none
// for any other value.
std::optional<Choice> choiceFrom(QStringView value);

// The factor the layout is drawn at on a display of `display` pixels: 1 where the display is (or
// will be switched to) 800×600, else the largest that fits the whole layout, up or down, so that it
// is never cut off. `switchable`: the display lists an 800×600 mode to switch to.
double factor(QSize display, Choice choice, bool switchable);
// Whether the layout is drawn to the display's size and centred at all: not on an 800×600 display,
// nor on one that will be switched to 800×600, nor where the display's size is unknown.
bool scales(QSize display, Choice choice, bool switchable);

// One monitor of the desktop as the X server lists it, named as Qt names its screen (the name's
// bytes read as Latin-1).
struct Monitor {
    QString name;
    QSize size;
    bool primary = false;
};

// What a start does with the monitors it finds.
struct Plan {
    QString primary;      // the primary monitor's name (the first listed where none is primary)
    double factor = 1.0;  // the primary monitor's
    bool scales = false;  // the layout drawn to the display's size and centred
    bool neverSwitch = false; // several monitors: switching would change the desktop under all of them
    // Qt's per-screen factors ("name=factor;name=factor"); empty: `factor` for every screen.
    QString screenFactors;
};

// One monitor: as factor() and scales(). Several: never switched, each monitor at the largest factor
// that fits the layout into it, by name; the layout is scaled unless every monitor is 800×600.
// Where a name cannot be written in Qt's list, every screen takes the primary's factor.
Plan plan(const QList<Monitor> &monitors, Choice choice, bool switchable);

// The factor a list of Qt's per-screen factors gives the screen `name`; none where it is not listed.
std::optional<double> listedFactor(QStringView list, QStringView name);

// Where a layout of kLayout logical pixels stands, centred, in a window of `window` logical pixels
// (negative where the window is smaller).
QPoint centredOrigin(QSize window);

} // namespace displayscale
