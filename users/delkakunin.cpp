#include "users/delkakunin.h"

TForm15::TForm15()
    : Screen({QStringLiteral("確認"), Kind::SizeableDialog, QSize(433, 182), QPoint(175, 177), kDarkBlue, 12})
{
}
