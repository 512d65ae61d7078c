#pragma once
// The program's artwork, drawn in code: the white rounded buttons that sit on the dark-blue screens
// and the splash picture.
#include <QPixmap>
#include <QRectF>
#include <QSize>

namespace artwork {
QPixmap button(QSize size);   // a white, shaded, rounded button with a transparent margin
QRectF buttonFace(QSize size); // where that button's white face lies in its picture
QPixmap splash(QSize size);   // the splash picture
} // namespace artwork
