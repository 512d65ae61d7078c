#include "settings/settei.h"

TForm17::TForm17()
    : Screen({QStringLiteral("環境設定"), Kind::FullScreen, {}, {}, kDarkBlue, 12})
{
}
