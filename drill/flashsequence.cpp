#include "drill/flashsequence.h"

#include "base/errors.h"

namespace {
FlashSequence::StartWatch &startWatch()
{
    static FlashSequence::StartWatch watch;
    return watch;
}
} // namespace

void FlashSequence::setStartWatch(StartWatch watch) { startWatch() = std::move(watch); }

FlashSequence::FlashSequence(QObject *parent) : QObject(parent), show_(new TMMTimer(this)), clear_(new TMMTimer(this))
{
    // The ticks' handlers run inside the timers' own error guard.
    show_->setOnTimer([this](QObject *) { showTick(); });
    clear_->setOnTimer([this](QObject *) { clearTick(); });
    connect(show_, &TMMTimer::switchedOff, this, pz::guarded([this] { recover(show_); }));
    connect(clear_, &TMMTimer::switchedOff, this, pz::guarded([this] { recover(clear_); }));
}

void FlashSequence::setInterval(quint32 ms)
{
    show_->setInterval(ms);
    clear_->setInterval(ms);
}

void FlashSequence::start(quint32 intervalMs, int count, NumberSource next)
{
    setInterval(intervalMs);
    count_ = count;
    next_ = std::move(next);
    shownCount_ = 0;
    flashes_ = 0;
    endEarly_ = false;
    // The question's grid starts as the first interval does.
    start_ = now();
    step_ = std::chrono::milliseconds(intervalMs);
    meter_.begin(start_, intervalMs);
    show_->setEnabled(true);
    phase_ = Phase::Gap;
    numberIndex_ = 0;
    if (startWatch())
        startWatch()(this, count, intervalMs);
}

void FlashSequence::start(quint32 intervalMs, const QList<int> &numbers)
{
    start(intervalMs, int(numbers.size()), [numbers](int index) { return numbers.value(index - 1); });
}

void FlashSequence::stop()
{
    show_->setEnabled(false);
    clear_->setEnabled(false);
    shownCount_ = 0;
    numberIndex_ = 0;
    // Idle, so that nothing left of the interrupted question (a late tick's recovery) goes on.
    phase_ = Phase::Idle;
    meter_.end();
    endEarly_ = false;
}

pace::Clock::time_point FlashSequence::dueNext()
{
    ++flashes_;
    return start_ + step_ * flashes_;
}

void FlashSequence::showTick()
{
    const pace::Clock::time_point due = dueNext();
    emit flashDue(flashes_, due);
    const pace::Clock::time_point tick = now();
    ++numberIndex_;
    const int number = next_ ? next_(numberIndex_) : 0;
    phase_ = Phase::Shown;
    show_->setEnabled(false);
    clear_->setEnabled(true);
    // On the screen before the report returns.
    emit showNumber(number);
    meter_.flash(tick, now());
}

void FlashSequence::clearTick()
{
    if (phase_ != Phase::Shown)
        return;
    const pace::Clock::time_point due = dueNext();
    emit flashDue(flashes_, due);
    const pace::Clock::time_point tick = now();
    phase_ = Phase::Gap;
    show_->setEnabled(true);
    clear_->setEnabled(false);
    ++shownCount_;
    const bool last = shownCount_ == count_ || endEarly_;
    if (last) {
        show_->setEnabled(false);
        clear_->setEnabled(false);
        phase_ = Phase::Idle;
        shownCount_ = 0;
        endEarly_ = false;
    }
    emit clearNumber(last);
    meter_.flash(tick, now());
    // The question ends once its last number is off the screen, so that its pace counts that too.
    if (last)
        emit finished(meter_.end());
}

void FlashSequence::recover(TMMTimer *timer)
{
    // The owner's thread was busy when a tick came, so that timer switched itself off and the
    // question would stall. The tick is overdue: its work is done now, which also restarts the
    // flashing. The stall was seen, and the question's pace keeps it.
    meter_.missedTick();
    if (timer == show_ && phase_ == Phase::Gap && !show_->Enabled())
        showTick();
    else if (timer == clear_ && phase_ == Phase::Shown && !clear_->Enabled())
        clearTick();
}
