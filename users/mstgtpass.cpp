#include "users/mstgtpass.h"

TForm14::TForm14()
    : Screen({QStringLiteral("マスターパスワードを入れてENTERを押して下さい"), Kind::Dialog, QSize(478, 177), QPoint(178, 184), kDarkBlue, 12})
{
}
