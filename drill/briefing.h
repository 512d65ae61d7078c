#pragma once
// The briefing's two captions: the grade's parameters as a line, and centring on the screen's middle.
// QtCore only.
#include <QString>

namespace briefing {
// "3桁15口10秒": digits, count and seconds in their shortest form (up to 15 significant digits, no
// trailing zeros, no point for whole numbers).
QString parameterLine(int digits, int count, double seconds);
// The left edge that centres a caption of this width on x = 400 (truncated toward zero).
int centredLeft(int width);
} // namespace briefing
