#include "users/delete.h"

TForm10::TForm10()
    : Screen({QStringLiteral("削除"), Kind::Dialog, QSize(488, 200), QPoint(150, 155), kDarkBlue, 12})
{
}
