#pragma once
// みんなでフラッシュ, the showing: a set's questions flashed to the whole room by the drill's own flash
// sequence, in the drill's number type and places, each after the drill's countdown. Between
// questions 「○問目」 stands large until the teacher presses Enter or Space, or the pause is over.
// Esc asks once and leaves. Nothing is written anywhere: the set was read before it started.
#include "drill/classset.h"
#include "drill/flashsequence.h"
#include "drill/pace.h"
#include "kit/screen.h"

class FlashStage;
class NumberLabel;
class QLabel;
class QTimer;

class TClassShow : public Screen {
    Q_OBJECT
public:
    TClassShow();

    void FormCreate() override;
    void FormCloseQuery() override;

    // Shows the set from its first question; the answers follow the last.
    void start(const classset::ClassSet &set, ClassPacing pacing);
    // Shows question `question` (0-based) of the set again, at its pace, then goes back to the answers.
    void replay(const classset::ClassSet &set, int question);

    enum class Step {
        Idle,      // not showing
        Waiting,   // 「○問目」: for the key or the pause
        Countdown, // 3, 2, 1
        Flashing,  // the sequence runs
        After,     // the last number is off; the next step follows shortly
    };
    Step step() const { return step_; }
    int question() const { return question_; } // 0-based
    const QList<pace::QuestionPace> &paces() const { return paces_; }
    void setPaceClock(FlashSequence::ClockSource clock) { sequence_->setClock(std::move(clock)); }

signals:
    // The set has been shown whole (the screen closes after): time for its answers.
    void setShown(const classset::ClassSet &set, const QList<pace::QuestionPace> &paces);
    // A question shown again has ended; the screen has closed.
    void questionReplayed(int question, const pace::QuestionPace &measured);

public:

    QLabel *Countdown = nullptr; // 3, 2, 1 (the stage's)
    NumberLabel *Number = nullptr; // (the stage's)
    QLabel *Between = nullptr;   // 「2問目」
    QLabel *Hint = nullptr;      // what moves on, and the pause counting down
    QTimer *Timer1 = nullptr;    // the countdown, 1000 ms
    QTimer *PauseTimer = nullptr; // the pause between questions, counted in seconds
    QTimer *AfterTimer = nullptr; // a moment of blank screen after a question's last number

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void wait();           // 「○問目」 for the current question
    void beginCountdown(); // the current question from its countdown
    void Timer1Timer();
    void PauseTimerTimer();
    void afterQuestion();
    void interrupt(); // Esc: everything stops, one question; leave or go on
    void stopAll();
    void showHint();

    FlashSequence *sequence_ = nullptr;
    FlashStage *stage_ = nullptr;
    classset::ClassSet set_;
    ClassPacing pacing_;
    QList<pace::QuestionPace> paces_;
    Step step_ = Step::Idle;
    int question_ = 0;
    int pauseLeft_ = 0;
    bool replaying_ = false;
};
