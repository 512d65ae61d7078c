#include "users/masterpass.h"

TForm12::TForm12()
    : Screen({QStringLiteral("パスワードを入れてENTERを押してください"), Kind::Dialog, QSize(418, 143), QPoint(187, 211), kDarkBlue, 12})
{
}
