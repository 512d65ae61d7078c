#pragma once
// The rules of the flash presentation that need no screen: the display interval, where the number
// label goes, and which grade parameters the presentation can run.
#include "base/grade.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace flashrules {

// A question holds at most this many numbers (the slots 1..99 of SharedState.numbers).
constexpr int kMaxCount = 99;

// x = S x 1000 / (2N - 1) and I = |ceil(x)| - 5 ms: each number is visible for I ms and the gap
// after it lasts I ms, so a question's numbers span (2N - 1) x I, just under S seconds.
double exactQuotient(double seconds, qint32 count);
qint64 displayInterval(double seconds, qint32 count);

// Where the number label goes for a digit count; nothing for other counts (the label stays put).
struct Placement {
    int left, top, width;
};
std::optional<Placement> numberPlacement(int digits);

// Empty when the presentation can run these parameters; otherwise a warning naming the value
// that stops it (digits 1..3, count 1..99, and an interval of at least 1 ms).
QString checkParams(const GradeParams &params);

// The first of these 60 settings lines (settings/rand.h), in file order, whose value would make its
// grade refused when it is chosen: a text the accessors cannot convert, or a value with which the
// presentation cannot run the grade. Returns its slot (0..59), or -1 when every grade can be drilled.
int firstUnusableSetting(const QStringList &lines);

} // namespace flashrules
