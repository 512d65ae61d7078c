#pragma once
// One question's numbers flashed by two high-resolution timers: one shows the next number, the
// other clears it, each started from the other's tick, so every interval counts from the tick
// before it. The drill's flash screen and the PC check both run their numbers through this, so
// the check measures the drill's own sequence. QtCore only: whoever owns it paints.
//
// The owner hears, on its own thread and in this order within each flash: flashDue (first), then
// showNumber or clearNumber (paint before returning: the flash is measured when it returns), and
// after the last clearing, finished with the question's pace.
#include "drill/MMTimer.h"
#include "drill/pace.h"

#include <QList>
#include <QObject>

#include <functional>

class FlashSequence : public QObject {
    Q_OBJECT
public:
    enum class Phase {
        Idle, // no question is being flashed
        Gap,  // the next number is due
        Shown // a number is visible
    };
    // The question's numbers, asked for one at a time as each is due (1, 2, …).
    using NumberSource = std::function<int(int index)>;
    using ClockSource = std::function<pace::Clock::time_point()>;

    explicit FlashSequence(QObject *parent = nullptr);

    // The interval both timers tick at, in ms; 0 starts no tick. A running timer restarts its period.
    void setInterval(quint32 ms);
    quint32 interval() const { return show_->Interval(); }

    // Starts a question now at `intervalMs`: `count` numbers from `next`, the first due one interval
    // from now. The meter begins the question's grid at this moment.
    void start(quint32 intervalMs, int count, NumberSource next);
    // The same with the numbers given.
    void start(quint32 intervalMs, const QList<int> &numbers);
    // The number on the screen is the question's last: its clearing ends the question.
    void endWithThisNumber() { endEarly_ = true; }
    // Drops the question under way: both timers off, idle, nothing more reported.
    void stop();

    Phase phase() const { return phase_; }
    int numberIndex() const { return numberIndex_; } // numbers drawn in this question
    int shownCount() const { return shownCount_; }   // numbers shown and cleared again in this question

    TMMTimer *showTimer() const { return show_; }
    TMMTimer *clearTimer() const { return clear_; }
    pace::Meter &meter() { return meter_; }
    // The clock every flash is measured by (tests move it); empty: the steady clock.
    void setClock(ClockSource clock) { clock_ = std::move(clock); }

    // For tests: told of every question as it starts (its numbers and interval), so that a test can
    // bound how long a question may take. Empty: nobody is told.
    using StartWatch = std::function<void(FlashSequence *sequence, int count, quint32 intervalMs)>;
    static void setStartWatch(StartWatch watch);

    // The timers' work, also for stepping a question by hand. A clearing with no number shown
    // does nothing.
    void showTick();
    void clearTick();

signals:
    // A flash is about to run: the n-th of the question (odd: a number on, even: off), due on the grid at `due`.
    void flashDue(int flash, pace::Clock::time_point due);
    void showNumber(int number);
    // The number goes; `last`: it was the question's last, and both timers are off.
    void clearNumber(bool last);
    // The last number is off the screen: the question's pace, the meter idle again.
    void finished(const pace::QuestionPace &measured);

private:
    pace::Clock::time_point now() const { return clock_ ? clock_() : pace::Clock::now(); }
    pace::Clock::time_point dueNext();
    void recover(TMMTimer *timer);

    TMMTimer *show_;
    TMMTimer *clear_;
    pace::Meter meter_;
    ClockSource clock_;
    NumberSource next_;
    Phase phase_ = Phase::Idle;
    int count_ = 0, numberIndex_ = 0, shownCount_ = 0, flashes_ = 0;
    bool endEarly_ = false;
    pace::Clock::time_point start_;
    std::chrono::milliseconds step_{0};
};
