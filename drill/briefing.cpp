#include "drill/briefing.h"

namespace briefing {

QString parameterLine(int digits, int count, double seconds)
{
    return QString::number(digits) + QStringLiteral("桁") + QString::number(count) + QStringLiteral("口")
         + QString::number(seconds, 'g', 15) + QStringLiteral("秒");
}

int centredLeft(int width) { return int(400.0 - width / 2.0); }

} // namespace briefing
