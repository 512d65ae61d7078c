#pragma once
// How large the 800×600 layout is drawn: the machine's choice between switching the display to
// 800×600 and scaling the layout to the display, and the factor that follows from a display's size.
#include <QPoint>
#include <QSize>
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

// Where a layout of kLayout logical pixels stands, centred, in a window of `window` logical pixels
// (negative where the window is smaller).
QPoint centredOrigin(QSize window);

} // namespace displayscale
