#pragma once
// The rules of a drill's answers: judging an answer, marking the result sheet, the verdict and the
// history line. QtCore only.
#include "base/grade.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace drillrules {

using ::kQuestions;
inline constexpr int kPassMark = 8;        // correct answers needed to pass, for every grade
inline constexpr int kMaxAnswerLength = 10; // digits of the largest 32-bit value, 2147483647

// The value of a typed answer: a non-empty run of ASCII digits (at most kMaxAnswerLength) whose value
// fits a 32-bit signed integer; anything else has no value.
std::optional<qint32> answerValue(const QString &typed);

// Whether text may stand in the answer field while it is being typed: empty, or a prefix of an
// answer that has a value (digits only, not too long, not above 2147483647).
bool isAcceptableInput(const QString &text);

// The sum of a question's numbers (in 64 bits: no count of numbers overflows it).
qint64 questionSum(const QList<int> &numbers);

// The answer box judges by value: "0123" is right for a sum of 123. An answer without a value is
// never right.
bool isCorrectByValue(const QString &typed, qint32 sum);

// The result sheet marks by text, character by character: "0123" is wrong for "123".
bool isCorrectByText(const QString &answer, const QString &typed);

struct Marks {
    QList<bool> right; // one per row, in order
    int correct = 0;
    int incorrect = 0;
};
// Marks the rows of the sheet; answers and typed hold one text per row (the shorter list decides).
Marks markRows(const QStringList &answers, const QStringList &typed);

// "合格" for kPassMark or more correct answers, else "不合格".
QString verdictText(int correctCount);
// The left edge of the verdict screen's label for that verdict: 120 for "合格", 0 for "不合格".
int verdictLeft(const QString &verdict);

// The history file's date: four-digit year, month without and day with a leading zero,
// separated by "/" whatever the locale ("2004/7/05", "2004/11/12").
QString dateText(const QDate &date);

// One drill's history line, without its line end: grade,date,correct,incorrect,verdict.
QString historyLine(const QString &gradeName, const QDate &date, int correct, int incorrect,
                    const QString &verdict);

} // namespace drillrules
