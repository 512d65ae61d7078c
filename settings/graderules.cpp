#include "settings/graderules.h"

#include "settings/rand.h"

#include <cmath>
#include <limits>

namespace graderules {

double exactQuotient(double seconds, qint32 count)
{
    const double x = seconds * 1000.0 / (2.0 * double(count) - 1.0);
    // Seconds come from decimal text, so a quotient that is whole in decimal can land a hair
    // beside the integer in binary (4.07 s over six numbers: 370.00000000000006). A whole quotient
    // is not rounded up, so such a hair, a few units in the last place from the two roundings, is
    // taken for the integer it stands for; anything further off is a true fraction.
    const double whole = std::round(x);
    if (std::isfinite(x) && std::fabs(x - whole) <= 4 * std::numeric_limits<double>::epsilon() * std::fabs(x))
        return whole;
    return x;
}

qint64 displayInterval(double seconds, qint32 count)
{
    const double up = std::fabs(std::ceil(exactQuotient(seconds, count)));
    if (!(up < 9e18)) // infinite, NaN or beyond any interval: no usable interval
        return -1;
    return qint64(up) - 5;
}

QString checkParams(const GradeParams &p)
{
    if (p.digits < kEditor.minDigits || p.digits > kEditor.maxDigits)
        return QStringLiteral("桁数が %1 になっています。桁数は%2から%3までにしてください。")
            .arg(p.digits)
            .arg(kEditor.minDigits)
            .arg(kEditor.maxDigits);
    if (p.count < 1 || p.count > kMaxCount)
        return QStringLiteral("口数が %1 になっています。口数は1から%2までにしてください。").arg(p.count).arg(kMaxCount);
    const double x = exactQuotient(p.seconds, p.count);
    const QString secs = QString::number(p.seconds, 'g', 15);
    if (!(x > 5.0)) // also NaN; a negative time is no time
        return QStringLiteral("%1口を %2秒で表示すると1口の表示時間が1ミリ秒未満になります。"
                              "秒数を増やすか口数を減らしてください。").arg(p.count).arg(secs);
    // The timers take 1 ms up to 2^32 - 1 ms. Anything past that, however far (1e17 s, 1e300 s,
    // infinity, where the interval has no 64-bit value at all and comes back as -1), is refused.
    const qint64 interval = displayInterval(p.seconds, p.count);
    if (interval < 1 || interval > qint64(std::numeric_limits<quint32>::max()))
        return QStringLiteral("秒数が %1 になっています。秒数が大きすぎます。").arg(secs);
    return QString();
}

Grade gradeFrom(const QStringList &settingsLines, GradeCode c)
{
    const GradeParams params = gradeParamsOf(settingsLines, c);
    QString refusal = checkParams(params);
    if (!refusal.isEmpty())
        return {std::nullopt, refusal};
    return {params, QString()};
}

Grade readGrade(GradeCode c) { return gradeFrom(ReadSettingsLines(), c); }

int firstUnusableSetting(const QStringList &lines)
{
    // Each value is judged by these rules with the others of its grade replaced by ones that always
    // run (one number of one digit, the longest hinted time), so the value named is the one to
    // change; the seconds are judged with the grade's own digits and count.
    constexpr double kAmpleSeconds = kEditor.maxSeconds;
    const auto refused = [](const GradeParams &p) { return !checkParams(p).isEmpty(); };
    for (int row = 0; row < settings::kLineCount / 3; ++row) {
        const int first = 3 * row;
        const GradeLines g = readGradeLines(lines, row);
        if (!g.digits || refused({*g.digits, 1, kAmpleSeconds}))
            return first;
        if (!g.count || refused({1, *g.count, kAmpleSeconds}))
            return first + 1;
        if (!g.seconds || refused({*g.digits, *g.count, *g.seconds}))
            return first + 2;
    }
    return -1;
}

} // namespace graderules
