#pragma once
// 結果を入れる after みんなでフラッシュ: the number right a child had on the paper of a set becomes a
// line of the child's history at the set's grade and the day it was shown, judged as a drill is (合格
// at 8 of 10, or the same share of a shorter set), and a line in the child's pace file saying it came
// from みんなでフラッシュ and which set, so that it can be told apart and the paper found again.
#include "drill/classset.h"

#include <QDateTime>
#include <QString>

namespace classmarks {

// Whether `right` of `count` questions passes: at least eight tenths of them.
bool passes(int right, int count);

// The history line for `right` of the set's questions on `day`.
QString historyLine(const classset::ClassSet &set, const QDate &day, int right);

// Why `right` cannot be entered for a set of `count` questions, or an empty text.
QString checkRight(int right, int count);

// Enters one child's mark: the history line (only while the child is registered, judged under the
// folder's lock) and then the pace line (the pace file is no record: its failure is only logged).
// Returns the refusal (nothing written): a number that cannot be, a child deleted meanwhile (named).
// A failure of the history file throws.
QString enter(const classset::ClassSet &set, const QDateTime &shown, const QString &name, int right);

} // namespace classmarks
