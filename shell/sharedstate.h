#pragma once
// The values the screens share for the whole run. One instance, owned by the application.
#include "drill/drillsession.h"
#include "settings/rand.h"

#include <QString>

struct SharedState {
    // Who is practising.
    QString userName;
    bool loggedIn = false;

    // The grade chosen last.
    QString gradeName;
    GradeParams gradeParams;

    // The drill under way: its numbers, sum, answers, counts and verdict.
    DrillSession drill;
};
