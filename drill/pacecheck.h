#pragma once
// The PC check: before an exam, the teacher (or `pikazan --check-pace`) runs 十段's pace and the
// fastest pace the grade settings allow through the flash screen's own timers and meter, and learns
// whether this computer shows the numbers within a frame. QtCore only: painting the numbers, when
// there is a display, is the caller's part (drill/pacecheckwindow.h).
#include "base/grade.h"
#include "drill/pace.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <vector>

namespace pacecheck {

struct Pace {
    QString name;         // "十段", "最速"
    GradeParams params;
    quint32 intervalMs = 0;
    QString source; // "教室の設定" or "標準の設定" for 十段; empty for the fastest
};

// 十段 as the settings lines give it (the classroom's 60 lines), or as the built-in defaults give it
// when the lines do not hold a grade the drill could run.
Pace tenthDan(const QStringList &settingsLines);
// The fastest pace any grade can be given in the settings editor: the most numbers over the fewest
// seconds, the interval as the drill works it out (99 numbers over 1 s: 1 ms).
Pace fastest();
// What the check runs: 十段, then the fastest.
std::vector<Pace> paces(const QStringList &settingsLines);
// The settings lines of the classroom in the working folder; nothing when there is none or it
// cannot be read (the check then runs the built-in 十段).
QStringList classroomSettings();

// One pace as it ran.
struct Figures {
    Pace pace;
    int flashes = 0; // each number shown and each cleared
    qint64 medianTickLateUs = 0, p99TickLateUs = 0, worstTickLateUs = 0; // the tick against the grid
    bool painted = false;                      // a display painted every flash
    qint64 medianPaintUs = 0, p99PaintUs = 0;  // from the tick to the end of the paint
    qint64 worstLateUs = 0;                    // the latest a flash was on screen, paint included
    int missedTicks = 0;
    // The drill's own rule: no flash later than a frame, no tick missed.
    bool keepsPace() const;
};

// What the caller does at each flash: show `number`, or clear the number when it is -1, and return
// once it is painted. Empty: nothing is painted (no display).
using Paint = std::function<void(int number)>;

// For tests: how long each pace runs, the clock everything is measured (and the run's length timed)
// by, a hook that runs first in every flash (a test moves its clock there, or stalls the thread),
// and a question asked at every flash whether to stop now (the program is ending).
struct Seams {
    std::chrono::milliseconds perPace{7500};
    std::function<pace::Clock::time_point()> clock;
    std::function<void(int flash, pace::Clock::time_point due)> beforeFlash;
    std::function<bool()> stop;
};

// Runs each pace in turn for seams.perPace on the calling thread's event loop (it must have one: a
// QCoreApplication is enough) and returns its figures.
std::vector<Figures> run(const std::vector<Pace> &paces, const Paint &paint, const Seams &seams = {});

bool keepsPace(const std::vector<Figures> &figures);
// The result in Japanese, a few lines per pace; the last line is verdictLine(). Short enough for
// the program's information box.
QStringList report(const std::vector<Figures> &figures);
// "判定: ずれなし…" or "判定: ずれあり…".
QString verdictLine(bool keeps);

} // namespace pacecheck
