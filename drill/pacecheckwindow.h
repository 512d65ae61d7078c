#pragma once
// The PC check with a display: a plain window with one line saying what runs, and the numbers
// flashed under it by the flash screen's own number label, so that the check's paint time is the
// drill's.
#include "drill/pacecheck.h"

#include <QWidget>

class FlashStage;
class NumberLabel;
class QLabel;

class PaceCheckWindow : public QWidget {
    Q_OBJECT
public:
    // owner: the screen it runs over (modal to the program); none for the command line.
    PaceCheckWindow(QWidget *owner, const QString &line);
    // Shows `number`, or clears it for -1, and returns once it is painted.
    void paint(int number);
    QLabel *line() const { return line_; }
    NumberLabel *number() const { return number_; }
    FlashStage *stage() const { return stage_; }

private:
    QLabel *line_;
    FlashStage *stage_;
    NumberLabel *number_; // the stage's
    int digits_ = 0;
};

namespace pacecheck {
// What the check run from the program uses; tests shorten it.
Seams &programSeams();
// Runs the check on a PaceCheckWindow, shown while it runs and saying how long it takes.
std::vector<Figures> runOnScreen(QWidget *owner, const std::vector<Pace> &paces, const Seams &seams);
} // namespace pacecheck
