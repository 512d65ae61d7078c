#pragma once
// The values the screens share for the whole run. One instance, owned by the application.
#include "settings/rand.h"

#include <QString>
#include <array>

struct SharedState {
    // Who is practising.
    QString userName;
    bool loggedIn = false;

    // The grade chosen last.
    QString gradeName;
    GradeParams gradeParams;

    // The question under way (flash screen). Slot 0 of numbers is always 0.
    std::array<int, 100> numbers{};
    qint32 runningSum = 0;
    int questionNo = 0;
    std::array<QString, 11> correctAnswers; // 1..10

    // The answers (answer box).
    int answeredCount = 0;
    int correctCount = 0;
    std::array<QString, 11> typedAnswers; // 1..10
    QString verdict;
};
