#pragma once
// Where the flash screen puts its number label: the one rule of the presentation's layout that needs
// no screen. The rules of the grade's parameters are in settings/graderules.h.
#include <optional>

namespace flashrules {

struct Placement {
    int left, top, width;
};
// Nothing for a digit count the presentation has no place for (the label stays put).
std::optional<Placement> numberPlacement(int digits);

} // namespace flashrules
