#pragma once
// The program's artwork, drawn in code: the white rounded buttons that sit on the dark-blue screens
// and the splash picture.
#include <QPixmap>
#include <QSize>

namespace artwork {
QPixmap button(QSize size);   // a white, shaded, rounded button with a transparent margin
QPixmap splash(QSize size);   // the splash picture
} // namespace artwork
