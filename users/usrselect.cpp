#include "users/usrselect.h"

TForm9::TForm9()
    : Screen({QStringLiteral("名前を選択してパスワードをいれてENTERを押してください"), Kind::Dialog, QSize(409, 357), QPoint(174, 76), kDarkBlue, 12})
{
}
