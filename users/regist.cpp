#include "users/regist.h"

TForm7::TForm7()
    : Screen({QStringLiteral("とうろく"), Kind::Dialog, QSize(499, 264), QPoint(201, 142), kDarkBlue, 12})
{
}
