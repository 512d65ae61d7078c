#include "records/mastergate.h"

TForm13::TForm13()
    : Screen({.title = QStringLiteral("生徒の記録"), .kind = Kind::FullScreen})
{
}
