#include "drill/kotaeinput.h"

TForm5::TForm5()
    : Screen({QStringLiteral("input"), Kind::Panel, QSize(330, 127), {}, kDarkBlue, 12})
{
}
