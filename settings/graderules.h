#pragma once
// The rules of a grade's parameters that need no screen: the display interval they give, and which
// parameters the flash presentation can run (the settings editor refuses the others).
#include "base/grade.h"

#include <QString>
#include <QStringList>

namespace graderules {

// A question holds at most this many numbers (the slots 1..99 of SharedState.numbers).
constexpr int kMaxCount = 99;

// x = S x 1000 / (2N - 1) and I = |ceil(x)| - 5 ms: each number is visible for I ms and the gap
// after it lasts I ms, so a question's numbers span (2N - 1) x I, just under S seconds.
double exactQuotient(double seconds, qint32 count);
qint64 displayInterval(double seconds, qint32 count);


// Empty when the presentation can run these parameters; otherwise a warning naming the value
// that stops it (digits 1..3, count 1..99, and an interval of at least 1 ms).
QString checkParams(const GradeParams &params);

// The first of these 60 settings lines (settings/rand.h), in file order, whose value would make its
// grade refused when it is chosen: a text the accessors cannot convert, or a value with which the
// presentation cannot run the grade. Returns its slot (0..59), or -1 when every grade can be drilled.
int firstUnusableSetting(const QStringList &lines);

} // namespace graderules
