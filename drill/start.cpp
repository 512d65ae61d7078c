#include "drill/start.h"

TForm2::TForm2()
    : Screen({QStringLiteral("start"), Kind::FullScreenMaximised, {}, {}, Qt::white, 12})
{
}
