#include "records/kiroku.h"

TForm8::TForm8()
    : Screen({QStringLiteral("きろく"), Kind::FullScreen, {}, {}, kDarkBlue, 24})
{
}
