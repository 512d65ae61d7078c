#include "users/masterpass.h"

TForm12::TForm12()
    : Screen({.title = QStringLiteral("パスワードを入れてENTERを押してください"), .kind = Kind::Dialog, .size = QSize(418, 143), .pos = QPoint(187, 211)})
{
}
