#include "users/delete.h"

TForm10::TForm10()
    : Screen({.title = QStringLiteral("削除"), .kind = Kind::Dialog, .size = QSize(488, 200), .pos = QPoint(150, 155)})
{
}
