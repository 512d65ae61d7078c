#include "drill/success.h"

TForm6::TForm6()
    : Screen({QStringLiteral("success"), Kind::FullScreenMaximised, {}, {}, kDarkBlue, 12})
{
}
