#include "users/delkakunin.h"

TForm15::TForm15()
    : Screen({.title = QStringLiteral("確認"), .kind = Kind::SizeableDialog, .size = QSize(433, 182), .pos = QPoint(175, 177)})
{
}
