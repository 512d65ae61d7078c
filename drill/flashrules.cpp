#include "drill/flashrules.h"

namespace flashrules {

std::optional<Placement> numberPlacement(int digits)
{
    switch (digits) {
    case 1: return Placement{240, 72, 300};
    case 2: return Placement{160, 72, 500};
    case 3: return Placement{48, 72, 700};
    default: return std::nullopt;
    }
}

} // namespace flashrules
