#include "drill/dkhyouji.h"

TForm16::TForm16()
    : Screen({QStringLiteral("説明"), Kind::FullScreen, {}, {}, kDarkBlue, 12})
{
}
