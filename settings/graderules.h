#pragma once
// The rules of a grade's parameters that need no screen: the display interval they give, and which
// parameters the flash presentation can run (the settings editor refuses the others).
#include "base/grade.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace graderules {

// A question holds at most this many numbers (the slots 1..99 of SharedState.numbers).
constexpr int kMaxCount = 99;

// What the settings editor lets a teacher type, and what its hints say. The flash itself runs
// more (one number, any time that leaves an interval): see checkParams.
struct EditorRanges {
    qint32 minDigits, maxDigits;
    qint32 minCount, maxCount;
    double minSeconds, maxSeconds;
};
constexpr EditorRanges kEditor{1, 3, 2, kMaxCount, 1, 99};

// x = S x 1000 / (2N - 1) and I = |ceil(x)| - 5 ms: each number is visible for I ms and the gap
// after it lasts I ms, so a question's numbers span (2N - 1) x I, just under S seconds.
double exactQuotient(double seconds, qint32 count);
qint64 displayInterval(double seconds, qint32 count);


// Empty when the presentation can run these parameters; otherwise a warning naming the value
// that stops it (digits 1..3, count 1..99, and an interval of at least 1 ms).
QString checkParams(const GradeParams &params);

// A grade as the drill takes it: its digits, count and seconds from one read of settei.dat,
// checked as checkParams checks them. Either the parameters or the refusal (checkParams' text).
// Throws IoError when the file cannot be read and ConversionError naming the line that does not
// convert; gradeFrom does the same for lines already read.
struct Grade {
    std::optional<GradeParams> params;
    QString refusal;
};
Grade readGrade(GradeCode c);
Grade gradeFrom(const QStringList &settingsLines, GradeCode c);

// The first of these 60 settings lines (settings/rand.h), in file order, whose value would make its
// grade refused when it is chosen: a text the accessors cannot convert, or a value with which the
// presentation cannot run the grade. Returns its slot (0..59), or -1 when every grade can be drilled.
int firstUnusableSetting(const QStringList &lines);

} // namespace graderules
