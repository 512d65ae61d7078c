#pragma once
// TForm2, the flash screen: the countdown 3, 2, 1 and the numbers of one question, flashed by two
// high-resolution timers, their sum kept as the question's correct answer; then the answer box.
#include "drill/flashsequence.h"
#include "drill/pace.h"
#include "settings/rand.h"
#include "kit/screen.h"

#include <functional>


class FlashStage;
class NumberLabel;
class QLabel;
class QTimer;
class TMMTimer;

class TForm2 : public Screen {
    Q_OBJECT
public:
    TForm2();

    void FormCreate() override;
    void FormShow() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    // The answer box's re-arm for the next question: countdown "3", visible, Timer1 started.
    void Rearm();

    // Shows one question again, exactly these numbers, with the countdown, at the grade's pace and
    // through the same timers; then the screen closes. Practice only: no sum, count or answer of the
    // drill changes, and no answer box follows.
    void Replay(const QList<int> &numbers);
    bool isReplaying() const { return replaying_; }

signals:
    // The question's numbers are done: time for the answer box.
    void answerWanted();
    // A replay has shown its numbers and the screen has closed.
    void replayFinished();
    // The close reset: the drill starts again at question 1.
    void drillReset();

public:
    // The clock the number generator reseeds from (tests pin it; UTC time of day by default).
    void setNumberClock(ClockMs clock) { numberClock_ = std::move(clock); }
    // The clock the pace of each flash is measured by (tests make a number late with it).
    void setPaceClock(FlashSequence::ClockSource clock) { sequence_->setClock(std::move(clock)); }
    pace::Meter &paceMeter() { return sequence_->meter(); }

    QLabel *Label1 = nullptr;      // countdown (the stage's)
    NumberLabel *Label2 = nullptr; // the flashed number (the stage's)
    QTimer *Timer1 = nullptr;      // countdown, 1000 ms
    QTimer *Timer4 = nullptr;      // hand-over to the answer box, 300 ms
    TMMTimer *MMTimer2 = nullptr;  // shows the next number (the sequence's)
    TMMTimer *MMTimer3 = nullptr;  // hides it (the sequence's)

    void Timer1Timer();
    void MMTimer2Timer(QObject *sender);
    void MMTimer3Timer(QObject *sender);
    void Timer4Timer();

    using Phase = FlashSequence::Phase;
    Phase phase() const { return sequence_->phase(); }
    int numberIndex() const { return sequence_->numberIndex(); }
    int shownCount() const { return sequence_->shownCount(); }

private:
    bool replaying_ = false;
    QList<int> replay_;
    // The drill's next number, drawn.
    int nextNumber();
    void showNumber(int number);
    void clearNumber(bool last);
    ClockMs numberClock_ = utcTimeOfDayMs;
    FlashSequence *sequence_ = nullptr;
    FlashStage *stage_ = nullptr;
};
