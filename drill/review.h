#pragma once
// A second look at one question of a drill: the running subtotals, and what a wrong answer most
// likely came from, in words a child reads. QtCore only.
#include <QList>
#include <QString>

namespace review {

// The sum after each number, in the order the numbers were flashed.
QList<qint64> subtotals(const QList<int> &numbers);

// What a wrong answer can be explained by. Tried in this order, the first that fits is given:
//   1. Missing  — the sum without exactly one of the numbers (the first such number);
//   2. Doubled  — one number counted twice (the first such number);
//   3. Swapped  — two neighbouring digits of the sum typed the other way round;
//   4. LostCarry — the carry into one column left out (the lowest such column).
// A right answer, or one that fits none of them, has no explanation.
struct Explanation {
    enum class Kind { None, Missing, Doubled, Swapped, LostCarry };
    Kind kind = Kind::None;
    int position = 0; // Missing, Doubled: which number (1-based); LostCarry: the column (1 = tens)
    qint64 number = 0; // Missing, Doubled: that number
};
Explanation explain(const QList<int> &numbers, qint64 typed);

// The explanation as the review panel says it, e.g. "３ばんめの 47 を たしていない みたい";
// empty for none.
QString sentence(const Explanation &e);

} // namespace review
