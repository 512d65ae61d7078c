#pragma once
// みんなでフラッシュ, the showing: a set's questions flashed to the whole room by the drill's own flash
// sequence, in the drill's number type and places, each after the drill's countdown. Between
// questions 「○問目」 stands large until the teacher presses Enter or Space, or the pause is over.
// Esc asks once and leaves. Nothing is written anywhere: the set was read before it started.
// On a desktop of two displays it may be shown on the other one (a projector): the teacher's own
// display then shows where the set is (TClassDesk), never its numbers; if that display goes away,
// the set comes back here, paused, and asks whether to go on.
#include "drill/classset.h"
#include "drill/flashsequence.h"
#include "drill/pace.h"
#include "kit/screen.h"

class FlashStage;
class NumberLabel;
class QLabel;
class QScreen;
class QTimer;

class TClassShow : public Screen {
    Q_OBJECT
public:
    TClassShow();

    void FormCreate() override;
    void FormCloseQuery() override;

    // Shows the set from its first question, here or on the other display; the answers follow the last.
    void start(const classset::ClassSet &set, ClassPacing pacing, bool onOtherDisplay = false);
    // Shows question `question` (0-based) of the set again, at its pace and where the set was shown,
    // then goes back to the answers.
    void replay(const classset::ClassSet &set, int question);
    // What the teacher presses, here or at the desk: Enter or Space starts the question waiting, Esc
    // asks whether to stop.
    void teacherKey(int key);

    enum class Step {
        Idle,      // not showing
        Waiting,   // 「○問目」: for the key or the pause
        Countdown, // 3, 2, 1
        Flashing,  // the sequence runs
        After,     // the last number is off; the next step follows shortly
        Paused,    // everything stopped while the teacher is asked
    };
    Step step() const { return step_; }
    int question() const { return question_; } // 0-based
    int questionCount() const { return int(set_.questions.size()); }
    bool replaying() const { return replaying_; }
    // Shown on the other display now.
    bool elsewhere() const { return elsewhere_; }
    // What moves on from 「○問目」, as the room reads it under the question.
    QString hint() const;
    const QList<pace::QuestionPace> &paces() const { return paces_; }
    void setPaceClock(FlashSequence::ClockSource clock) { sequence_->setClock(std::move(clock)); }

signals:
    // The set has been shown whole (the screen closes after): time for its answers.
    void setShown(const classset::ClassSet &set, const QList<pace::QuestionPace> &paces);
    // A question shown again has ended; the screen has closed.
    void questionReplayed(int question, const pace::QuestionPace &measured);
    // Shown on the other display: the teacher's desk follows it from here.
    void shownElsewhere();
    // A step, a second of the pause, or the end: for whoever shows where the set is.
    void progressed();

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
    void displayGone(QScreen *gone);
    // Everything stops while `question` is asked; the answer that leaves closes, the other goes on.
    void pauseAndAsk(const QString &question, bool yesLeaves);
    void askAndResume(const QString &question, bool yesLeaves, Step was);
    void resume(Step was);
    void setStep(Step step);
    void placeOn(bool otherDisplay);
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
    bool elsewhere_ = false;
    bool setElsewhere_ = false; // where the set was asked for, for its replays
};
