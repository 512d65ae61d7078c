#include "drill/classshow.h"

#include "base/errors.h"
#include "drill/flashstage.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "platform/sound.h"
#include "settings/graderules.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <limits>

namespace {
const QString kLeave = QStringLiteral("みんなでフラッシュをやめますか？");
const QString kGoOnHere = QStringLiteral("もう一つの画面が見えなくなりました。この画面でつづけますか？");
} // namespace

TClassShow::TClassShow()
    : Screen({.title = QStringLiteral("みんなでフラッシュ"), .kind = Kind::FullScreenMaximised, .background = Qt::white}),
      sequence_(new FlashSequence(this))
{
}

void TClassShow::FormCreate()
{
    // The drill's countdown and number, in its type and places.
    stage_ = new FlashStage(this, {.countdown = QStringLiteral("Countdown"), .number = QStringLiteral("Number")});
    stage_->hideCountdown();
    stage_->follow(sequence_);
    Countdown = stage_->countdown();
    Number = stage_->number();

    Between = new QLabel(this);
    Between->setObjectName(QStringLiteral("Between"));
    Between->setFont(font(180, true));
    style::setColour(Between, QPalette::WindowText, style::kDarkBlue);
    Between->setAlignment(Qt::AlignCenter);
    Between->setGeometry(0, 120, 800, 260);
    Between->hide();

    Hint = new QLabel(this);
    Hint->setObjectName(QStringLiteral("Hint"));
    Hint->setFont(font(30, true));
    style::setColour(Hint, QPalette::WindowText, Qt::black);
    Hint->setAlignment(Qt::AlignCenter);
    Hint->setGeometry(0, 420, 800, 60);
    Hint->hide();

    Timer1 = kit::timer(this, "Timer1", 1000, kit::Timing::Precise, [this] { Timer1Timer(); });
    PauseTimer = kit::timer(this, "PauseTimer", 1000, kit::Timing::Precise, [this] { PauseTimerTimer(); });
    AfterTimer = kit::timer(this, "AfterTimer", 300, kit::Timing::Precise, [this] {
        AfterTimer->stop();
        afterQuestion();
    });

    connect(sequence_, &FlashSequence::finished, this, pz::guarded([this](const pace::QuestionPace &measured) {
                paces_[question_] = measured;
                setStep(Step::After);
                AfterTimer->start();
            }));
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, pz::guarded([this](QScreen *gone) { displayGone(gone); }));
}

void TClassShow::setStep(Step step)
{
    step_ = step;
    emit progressed();
}

void TClassShow::placeOn(bool otherDisplay)
{
    QScreen *other = otherDisplay ? Screen::otherDisplay() : nullptr;
    elsewhere_ = other != nullptr;
    setDisplay(other);
}

void TClassShow::start(const classset::ClassSet &set, ClassPacing pacing, bool onOtherDisplay)
{
    set_ = set;
    pacing_ = pacing;
    paces_ = QList<pace::QuestionPace>(set.questions.size());
    question_ = 0;
    replaying_ = false;
    setElsewhere_ = onOtherDisplay;
    placeOn(onOtherDisplay);
    Show();
    if (elsewhere_)
        emit shownElsewhere();
    wait();
}

void TClassShow::replay(const classset::ClassSet &set, int question)
{
    if (question < 0 || question >= set.questions.size())
        return;
    set_ = set;
    paces_ = QList<pace::QuestionPace>(set.questions.size());
    question_ = question;
    replaying_ = true;
    placeOn(setElsewhere_);
    Show();
    if (elsewhere_)
        emit shownElsewhere();
    beginCountdown();
}

void TClassShow::wait()
{
    stage_->hideCountdown();
    Between->setText(QStringLiteral("%1問目").arg(question_ + 1));
    Between->show();
    pauseLeft_ = pacing_.pauseSeconds;
    Hint->setText(hint());
    Hint->show();
    setStep(Step::Waiting);
    if (!pacing_.byKey)
        PauseTimer->start();
}

QString TClassShow::hint() const
{
    return pacing_.byKey ? QStringLiteral("Enter / スペースで はじめます")
                         : QStringLiteral("あと %1 秒で はじめます（Enter / スペースで すぐに）").arg(pauseLeft_);
}

void TClassShow::PauseTimerTimer()
{
    if (--pauseLeft_ > 0) {
        Hint->setText(hint());
        emit progressed();
        return;
    }
    beginCountdown();
}

void TClassShow::beginCountdown()
{
    PauseTimer->stop();
    Between->hide();
    Hint->hide();
    // Placed and rendered now, seconds before the first number: a flash only sets a text and
    // repaints the digits that change.
    stage_->placeFor(set_.params.digits);
    stage_->prepare();
    stage_->dropNumber();
    stage_->resetCountdown();
    setStep(Step::Countdown);
    sound::play(sound::Cue::Countdown);
    Timer1->start();
}

void TClassShow::Timer1Timer()
{
    if (stage_->countDown() > 0) {
        sound::play(sound::Cue::Countdown);
        return;
    }
    Timer1->stop();
    stage_->hideCountdown();
    // The set's settings were refused when it was made unless they can be flashed.
    const qint64 interval = graderules::displayInterval(set_.params.seconds, set_.params.count);
    if (interval < 1 || interval > qint64(std::numeric_limits<quint32>::max())) {
        dialogs::warn(graderules::checkParams(set_.params));
        Close();
        return;
    }
    setStep(Step::Flashing);
    sequence_->start(quint32(interval), set_.questions[question_]);
}

void TClassShow::afterQuestion()
{
    if (replaying_) {
        const int replayed = question_;
        const pace::QuestionPace measured = paces_[question_];
        Close(); // the answers are beneath
        emit questionReplayed(replayed, measured);
        return;
    }
    if (question_ + 1 < set_.questions.size()) {
        ++question_;
        wait();
        return;
    }
    emit setShown(set_, paces_);
    Close();
}

void TClassShow::stopAll()
{
    Timer1->stop();
    PauseTimer->stop();
    AfterTimer->stop();
    sequence_->stop();
    stage_->clearNumber();
}

void TClassShow::interrupt() { pauseAndAsk(kLeave, true); }

void TClassShow::displayGone(QScreen *gone)
{
    if (!elsewhere_ || gone != display())
        return;
    // Stopped at once, so that no number lands anywhere; the desk closes as it sees the set is no
    // longer elsewhere.
    elsewhere_ = false;
    setElsewhere_ = false;
    const Step was = step_;
    if (was != Step::Paused) {
        stopAll();
        setStep(Step::Paused);
    }
    // Qt moves the window off the display that went once this signal has been handled: only then is
    // it placed on this display (at this display's factor) and the teacher asked.
    QTimer::singleShot(0, this, pz::guarded([this, was] {
        setDisplay(nullptr);
        Show();
        if (was != Step::Paused) // else the question up already is answered here
            askAndResume(kGoOnHere, false, was);
    }));
}

void TClassShow::pauseAndAsk(const QString &question, bool yesLeaves)
{
    const Step was = step_;
    // Nothing ticks while the question is up: no number lands on the screen behind it.
    stopAll();
    setStep(Step::Paused);
    askAndResume(question, yesLeaves, was);
}

void TClassShow::askAndResume(const QString &question, bool yesLeaves, Step was)
{
    if (dialogs::ask(style::programTitle(), question) == yesLeaves) {
        Close();
        return;
    }
    resume(was);
}

void TClassShow::resume(Step was)
{
    if (was == Step::Waiting)
        wait();
    else if (was == Step::After)
        afterQuestion(); // the question was shown whole and measured
    else
        beginCountdown(); // the same question again: its numbers are fixed
}

void TClassShow::keyPressEvent(QKeyEvent *event)
{
    event->accept(); // nothing goes behind the room's screen
    if (!event->isAutoRepeat())
        pz::guard([&] { teacherKey(event->key()); });
}

void TClassShow::teacherKey(int key)
{
    if (step_ == Step::Idle || step_ == Step::Paused)
        return;
    if (key == Qt::Key_Escape)
        interrupt();
    else if (step_ == Step::Waiting && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space))
        beginCountdown();
}

void TClassShow::FormCloseQuery()
{
    Timer1->stop();
    PauseTimer->stop();
    AfterTimer->stop();
    sequence_->stop();
    stage_->dropNumber();
    stage_->hideCountdown();
    Between->hide();
    Hint->hide();
    replaying_ = false;
    elsewhere_ = false;
    setStep(Step::Idle); // the desk closes with it
}
