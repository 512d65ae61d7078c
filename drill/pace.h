#pragma once
// The pace of a drill as the child saw it: for every flash (a number shown, a number cleared) when it
// was due, when its tick ran and when its paint was done; per question the latest flash, the span of
// the question against its due span, and the ticks the GUI thread missed. And the pace file's line,
// kept beside the history (user/<name>.pace), never in it. QtCore only.
//
// The grid: the countdown's last tick starts the question; flash i (1, 2, …, 2N) is due i display
// intervals after it, so number k is due on screen at (2k - 1) I and off at 2k I. The timers restart
// from each tick, so one late tick makes the rest of the question late on the grid as well: that is
// what the child sees, and what the span error adds up.
#include "base/grade.h"
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace pace {

using Clock = std::chrono::steady_clock;

using ::kQuestions;
// One frame at 60 Hz, 16.7 ms, in the tenths of a millisecond the pace line is written in: a flash
// later than that may have reached the child a frame late.
inline constexpr qint64 kFrameTenths = 167;

struct QuestionPace {
    quint32 intervalMs = 0; // the display interval the question ran at
    int flashes = 0;        // flashes measured; 0: the question was not measured
    qint64 worstLateUs = 0; // the latest a flash's paint was done after it was due (0 when none was late)
    qint64 spanErrorUs = 0; // (last flash − first flash) − (2N − 1) I, from paint to paint
    int missedTicks = 0;    // ticks the GUI thread did not take in time
};

// One flash, for the PC check's figures.
struct Sample {
    qint64 tickLateUs = 0; // the tick ran this long after the flash was due on the grid
    qint64 paintUs = 0;    // its paint was done this long after the tick
};

// Measures one question at a time. Nothing here allocates or touches a file: begin(), flash(),
// missedTick() and end() only do arithmetic on what they are given.
class Meter {
public:
    // The question's countdown ended at `start`; its flashes are due every intervalMs after it.
    void begin(Clock::time_point start, quint32 intervalMs);
    // A flash: its tick ran at `tick`, its paint was done at `painted`. Ignored outside a question.
    void flash(Clock::time_point tick, Clock::time_point painted);
    // A tick was not taken in time (its work is done late, and measured as a flash).
    void missedTick();
    // The question's presentation ended: its summary. The meter is idle again.
    QuestionPace end();
    bool isRunning() const { return running_; }

    // The PC check keeps every flash: samples go to `sink` while it has room (reserved by the
    // caller), never beyond, so that a flash never allocates. Null: none kept.
    void keepSamples(std::vector<Sample> *sink) { sink_ = sink; }

private:
    bool running_ = false;
    Clock::time_point start_, first_, last_;
    std::chrono::microseconds interval_{0};
    QuestionPace q_;
    std::vector<Sample> *sink_ = nullptr;
};

// Whether the child may have seen a question (or a drill) off its pace: a flash later than one frame
// (rounded to the line's tenths of a millisecond, so the line and its verdict agree), or a missed tick.
bool isLate(const QuestionPace &q);
bool isLate(const std::array<QuestionPace, kQuestions> &questions);
// "ずれあり" or "ずれなし".
QString verdictWord(bool late);

// Microseconds as the pace line writes them: milliseconds with one decimal, rounded half away from
// zero ("0.1", "-0.3", "16.7", "0.0").
QString millisecondsText(qint64 us);

// A drill's pace line, without its line end: date and time, grade, interval, then per question the
// latest flash and the span error, and the verdict word:
// 2026/12/07 14:03:21,十段,99,0.4,0.6,…,ずれなし
QString line(const QDateTime &when, const QString &gradeName, const std::array<QuestionPace, kQuestions> &questions);

// The pace line of a history line entered by the teacher after みんなでフラッシュ: no measures, and
// in the verdict's place where it came from and the set's number, so that the paper can be found:
// 2026/12/08 10:15:00,１０級,,…,みんなでフラッシュ 0042
QString classFlashLine(const QDateTime &when, const QString &gradeName, int setNumber);

// What the records need of a pace line: its day, its grade and its verdict (a class flash's line is
// on its pace). Nothing for the header,
// a damaged line or one of another format.
struct Entry {
    QDate date;
    QString grade;
    bool late = false;
    int classSet = -1; // the set number of a class flash's line, else -1
};
std::optional<Entry> parse(QStringView line);

// The sheet's line for a drill that may have been shown off its pace (in hiragana, for the child).
QString busyNotice();

} // namespace pace
