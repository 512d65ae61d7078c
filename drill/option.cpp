#include "drill/option.h"

TForm3::TForm3()
    : Screen({QStringLiteral("option"), Kind::FullScreenMaximised, {}, {}, kDarkBlue, 12})
{
}
