#include "drill/start.h"
#include "drill/drillsession.h"

#include "drill/MMTimer.h"
#include "drill/flashstage.h"
#include "settings/graderules.h"
#include "base/errors.h"
#include "platform/sound.h"
#include "kit/kit.h"
#include "kit/app.h"
#include "kit/dialogs.h"

#include <QTimer>

#include <limits>

TForm2::TForm2()
    : Screen({.title = QStringLiteral("start"), .kind = Kind::FullScreenMaximised, .background = Qt::white}),
      sequence_(new FlashSequence(this))
{
}

void TForm2::FormCreate()
{
    // Nothing to prepare for a steady flash: the window already has the display's size (the
    // full-screen rule), Qt paints every widget through an off-screen buffer, so a new number never
    // flickers, and the flash timers' thread sleeps to absolute deadlines on the monotonic clock
    // with its timer slack at the minimum (platform/hirestimer).
    stage_ = new FlashStage(this, {.countdown = QStringLiteral("Label1"), .number = QStringLiteral("Label2")});
    Label1 = stage_->countdown();
    Label2 = stage_->number();

    Timer1 = kit::timer(this, "Timer1", 1000, kit::Timing::Precise, [this] { Timer1Timer(); });
    Timer4 = kit::timer(this, "Timer4", 300, kit::Timing::Precise, [this] { Timer4Timer(); });

    // The numbers are flashed by the sequence's two timers; this screen paints what it reports.
    MMTimer2 = sequence_->showTimer();
    MMTimer2->setObjectName(QStringLiteral("MMTimer2"));
    MMTimer3 = sequence_->clearTimer();
    MMTimer3->setObjectName(QStringLiteral("MMTimer3"));
    connect(sequence_, &FlashSequence::showNumber, this, pz::guarded([this](int number) { showNumber(number); }));
    connect(sequence_, &FlashSequence::clearNumber, this, pz::guarded([this](bool last) { clearNumber(last); }));
    connect(sequence_, &FlashSequence::finished, this, pz::guarded([this](const pace::QuestionPace &measured) {
                if (!replaying_)
                    state().drill->questionFinished(measured);
            }));
}

void TForm2::FormShow()
{
    setMainMenuEnabled(false);
    asScreen(screens().gradeSelection)->setEnabled(false);
}

void TForm2::FormActivate()
{
    if (!Timer1->isActive())
        Timer1->start();
    if (state().drill->answeredCount() != DrillSession::kQuestions)
        sound::play(sound::Cue::Countdown);
}

void TForm2::Rearm()
{
    stage_->resetCountdown();
    if (!Timer1->isActive())
        Timer1->start();
}

void TForm2::Replay(const QList<int> &numbers)
{
    replaying_ = true;
    replay_ = numbers;
    Show();
}

void TForm2::Timer1Timer()
{
    const GradeParams &params = state().gradeParams;
    if (stage_->count() == FlashStage::kCountFrom) {
        // The first tick of a question. The grade screen refuses parameters the presentation
        // cannot run; should any get here, say why and end the drill now, before any number.
        const QString refusal = graderules::checkParams(params);
        if (!refusal.isEmpty()) {
            Timer1->stop();
            dialogs::warn(refusal);
            Close();
            return;
        }
    }
    const qint64 interval = graderules::displayInterval(params.seconds, params.count);
    // An interval of 0 starts no event; only parameters changed in mid-countdown could need it.
    const quint32 usable = interval >= 1 && interval <= qint64(std::numeric_limits<quint32>::max()) ? quint32(interval) : 0;
    sequence_->setInterval(usable);
    // The digits are rendered now, a few seconds before the first one is needed.
    stage_->prepare();

    if (stage_->countDown() != 0) {
        sound::play(sound::Cue::Countdown);
        return;
    }
    if (replaying_)
        sequence_->start(usable, replay_);
    else
        sequence_->start(usable, params.count, [this](int) { return nextNumber(); });
    Timer1->stop();
    stage_->hideCountdown();
}

void TForm2::MMTimer2Timer(QObject *) { sequence_->showTick(); }

void TForm2::MMTimer3Timer(QObject *) { sequence_->clearTick(); }

int TForm2::nextNumber()
{
    // Consecutive numbers of a question differ; the first is compared with 0 and always taken.
    int number;
    do
        number = GenerateNumber(state().gradeParams.digits, numberClock_);
    while (number == state().drill->lastNumber());
    return number;
}

void TForm2::showNumber(int number)
{
    if (!replaying_)
        state().drill->numberShown(number);
    stage_->placeFor(state().gradeParams.digits);
    stage_->showNumber(number);
}

void TForm2::clearNumber(bool last)
{
    if (last) {
        stage_->blankCountdown();
        Timer1->stop();
        Timer4->start();
    }
    stage_->clearNumber();
}

void TForm2::Timer4Timer()
{
    if (replaying_) {
        // Practice is over: back to whatever the replay was started from.
        Timer4->stop();
        Close();
        emit replayFinished();
        return;
    }
    emit answerWanted(); // the answer box shows itself
    Timer4->stop();
}

void TForm2::FormCloseQuery()
{
    SharedState &s = state();
    setMainMenuEnabled(true);
    asScreen(screens().gradeSelection)->setEnabled(true);
    Timer1->stop();
    stage_->resetCountdown();
    stage_->dropNumber();
    sequence_->stop();
    s.drill->ended();
    Timer4->stop();
    emit drillReset(); // the answer box asks for question 1 again
    replaying_ = false;
    replay_.clear();
}
