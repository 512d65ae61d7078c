#pragma once
// The values the screens share for the whole run. One instance, owned by the application.
#include "base/grade.h"

#include <QString>
#include <memory>

class DrillSession; // drill/drillsession.h: the screens of the drill include it

struct SharedState {
    // Who is practising.
    QString userName;
    bool loggedIn = false;

    // The grade chosen last.
    QString gradeName;
    GradeParams gradeParams;

    // The drill under way: its numbers, sum, answers, counts and verdict. Made with the screens
    // (App::createScreens), so that this layer, below the drill's, need not know its type.
    std::shared_ptr<DrillSession> drill;
};
