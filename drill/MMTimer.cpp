#include "drill/MMTimer.h"

#include "base/errors.h"

#include <QCoreApplication>
#include <exception>
#include <mutex>

namespace {
// The reply that says "the tick was taken".
constexpr qintptr kTaken = 3333;
// A tick needs two thread wake-ups before its handler runs: the timer thread's and the GUI
// thread's, each some tens of microseconds, a hundred or more on a virtual machine. So the tick is
// sent this much ahead of its deadline and the GUI thread, awake by then, holds it until the
// deadline itself (the timer layer keeps the lead within a quarter of the period).
constexpr std::chrono::microseconds kLead(300);
} // namespace

struct TMMTimer::Shared {
    std::mutex mutex;                       // never held while waiting for the other thread
    bool enabled = false;                   // guarded by mutex
    quint64 generation = 0;                 // guarded; a new value at every restart or stop
    hirestimer::EventId timerId = 0;        // guarded; the running event, 0 when none
    std::shared_ptr<hirestimer::Line> line; // the hand-off to the owner's thread; set once
    std::atomic<quint64> missed{0};
};

TMMTimer::TMMTimer(QObject *owner) : QObject(owner), shared_(std::make_shared<Shared>())
{
    shared_->line = hirestimer::Line::create(
        [this](const hirestimer::Ticket &message) { return receive(message); });
}

TMMTimer::~TMMTimer()
{
    setEnabled(false);
    shared_->line->close();
}

bool TMMTimer::Enabled() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->enabled;
}

void TMMTimer::setEnabled(bool value)
{
    // One step under the lock, so that a self-disabling tick cannot come between.
    std::lock_guard lock(shared_->mutex);
    if (shared_->enabled == value)
        return;
    shared_->enabled = value;
    restartLocked();
}

quint32 TMMTimer::replyTimeoutFor(quint32 interval)
{
    // Exact decimal arithmetic: 0.9 x 995 is 895.5, which a binary 0.9 would round either way.
    const quint64 tenths = quint64(interval) * 9;
    quint64 q = tenths / 10;
    const quint64 r = tenths % 10;
    if (r > 5 || (r == 5 && (q & 1)))
        ++q;
    return quint32(q);
}

void TMMTimer::setInterval(quint32 value)
{
    if (value == interval_)
        return;
    interval_ = value;
    replyTimeout_ = replyTimeoutFor(value);
    UpdateTimer();
}

void TMMTimer::setOnTimer(TNotifyEvent handler)
{
    onTimer_ = std::move(handler);
    UpdateTimer();
}

quint64 TMMTimer::missedTicks() const { return shared_->missed.load(); }

std::shared_ptr<const hirestimer::Line> TMMTimer::line() const { return shared_->line; }

void TMMTimer::UpdateTimer()
{
    std::lock_guard lock(shared_->mutex);
    restartLocked();
}

void TMMTimer::restartLocked()
{
    ++shared_->generation;
    if (shared_->timerId != 0) {
        hirestimer::killEvent(shared_->timerId);
        shared_->timerId = 0;
    }
    // A tick of the old event that is still waiting for this thread is dropped, not run late.
    shared_->line->abandonPending();
    if (interval_ != 0 && shared_->enabled && onTimer_) {
        const quint64 generation = shared_->generation;
        const std::chrono::microseconds timeout = std::chrono::milliseconds(replyTimeout_);
        std::shared_ptr<Shared> shared = shared_;
        shared_->timerId = hirestimer::setEvent(
            interval_,
            [shared, generation, timeout](hirestimer::EventId, hirestimer::Clock::time_point due) {
                DeliverTick(shared, generation, timeout, due);
            },
            kLead);
    }
}

void TMMTimer::DeliverTick(const std::shared_ptr<Shared> &shared, quint64 generation,
                           std::chrono::microseconds timeout, hirestimer::Clock::time_point due)
{
    // On the timer thread, just before the deadline. The wait for the GUI thread runs from the
    // deadline; a GUI thread that is stuck simply lets the time run out.
    if (shared->line->send(generation, timeout, due) == kTaken)
        return;
    // Not taken: switch the timer off, unless the GUI thread has restarted or stopped it meanwhile.
    std::lock_guard lock(shared->mutex);
    if (shared->generation != generation)
        return;
    shared->missed.fetch_add(1);
    shared->enabled = false;
    ++shared->generation;
    hirestimer::killEvent(shared->timerId);
    shared->timerId = 0;
    shared->line->post(shared->generation); // tells the owner's thread
}

qintptr TMMTimer::receive(const hirestimer::Ticket &message)
{
    bool current;
    {
        std::lock_guard lock(shared_->mutex);
        current = message.tag == shared_->generation;
    }
    if (!message.wantsReply) {
        if (current)
            emit switchedOff();
        return 0;
    }
    if (!current)
        return 0; // a tick of an event killed after it was sent: dropped
    // An error in the handler is reported; the tick still counts as taken. The report (a modal box)
    // comes after the reply: shown inside the tick it would keep the timer thread waiting past its
    // time-out, and the timer would switch itself off. Nothing of this timer is touched after the
    // handler, which may have destroyed it.
    try {
        Tick();
    } catch (...) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [error = std::current_exception()] { pz::guard([&] { std::rethrow_exception(error); }); },
            Qt::QueuedConnection);
    }
    return kTaken;
}

void TMMTimer::Tick()
{
    if (onTimer_)
        onTimer_(this);
}
