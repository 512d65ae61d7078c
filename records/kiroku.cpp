#include "records/kiroku.h"

TForm8::TForm8()
    : Screen({.title = QStringLiteral("きろく"), .kind = Kind::FullScreen, .fontPx = 24})
{
}
