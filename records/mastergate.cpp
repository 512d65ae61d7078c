#include "records/mastergate.h"

TForm13::TForm13()
    : Screen({QStringLiteral("生徒の記録"), Kind::FullScreen, {}, {}, kDarkBlue, 12})
{
}
