#include "settings/settei.h"

TForm17::TForm17()
    : Screen({.title = QStringLiteral("環境設定"), .kind = Kind::FullScreen})
{
}
