#include "users/mstgtpass.h"

TForm14::TForm14()
    : Screen({.title = QStringLiteral("マスターパスワードを入れてENTERを押して下さい"), .kind = Kind::Dialog, .size = QSize(478, 177), .pos = QPoint(178, 184)})
{
}
