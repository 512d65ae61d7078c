#pragma once
// A grade and its three drill parameters: what the settings store and the drill runs.
#include <QtGlobal>

// A drill is this many questions, whatever the grade.
inline constexpr int kQuestions = 10;

using GradeCode = int; // 1..10 = 1級..10級, 11..20 = 初段..十段

struct GradeParams {
    qint32 digits = 0;
    qint32 count = 0;
    double seconds = 0;
};
