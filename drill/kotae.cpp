#include "drill/kotae.h"

TForm4::TForm4()
    : Screen({QStringLiteral("kotae"), Kind::FullScreenMaximised, {}, {}, kDarkBlue, 24})
{
}
