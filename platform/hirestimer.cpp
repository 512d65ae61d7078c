#include "platform/hirestimer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <algorithm>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace hirestimer {

// ---------------------------------------------------------------------------------------------
// Periodic events: one timer thread serves them all, as the platform's multimedia timer does.
//
// The thread sleeps to absolute CLOCK_MONOTONIC deadlines. It waits on a condition variable
// (std::condition_variable::wait_until on steady_clock is pthread_cond_clockwait with
// CLOCK_MONOTONIC and an absolute time, the same kernel high-resolution sleep as clock_nanosleep
// with TIMER_ABSTIME) because a sleep in clock_nanosleep cannot be cut short without signals, and
// a new event that is due earlier, or a kill, must wake the thread at once.
// ---------------------------------------------------------------------------------------------

namespace {

class Service {
public:
    static Service &instance()
    {
        // Never destroyed: callbacks may still be finishing while the program exits.
        static Service *s = new Service;
        return *s;
    }

    EventId add(quint32 periodMs, EventCallback cb, Clock::duration lead)
    {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(mutex_);
        startThread();
        EventId id = nextId_++;
        if (nextId_ == 0)
            nextId_ = 1;
        const Clock::duration period = std::chrono::milliseconds(periodMs);
        lead = std::clamp(lead, Clock::duration::zero(), std::min<Clock::duration>(period / 4, kMaxLead));
        events_.push_back({id, period, lead, now + period, std::make_shared<EventCallback>(std::move(cb))});
        changed_.notify_one();
        return id;
    }

    bool remove(EventId id)
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(events_.begin(), events_.end(), [id](const Event &e) { return e.id == id; });
        if (it == events_.end())
            return false;
        events_.erase(it);
        changed_.notify_one();
        return true;
    }

private:
    struct Event {
        EventId id;
        Clock::duration period;
        Clock::duration lead; // the callback runs this much before the deadline
        Clock::time_point due;
        std::shared_ptr<EventCallback> callback;
    };

    void startThread()
    {
        if (started_)
            return;
        started_ = true;
        std::thread(&Service::run, this).detach();
    }

    static void tuneThread()
    {
        // Wake as close to the deadline as the kernel can: no timer slack (50 µs by default).
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        // The platform's timer thread runs at time-critical priority. Where the process may not
        // raise its priority this fails and the thread stays an ordinary one.
        sched_param p{};
        p.sched_priority = 10;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &p);
        pthread_setname_np(pthread_self(), "pz-mmtimer");
    }

    void run()
    {
        tuneThread();
        std::unique_lock lock(mutex_);
        for (;;) {
            if (events_.empty()) {
                changed_.wait(lock);
                continue;
            }
            auto next = std::min_element(events_.begin(), events_.end(), [](const Event &a, const Event &b) {
                return a.due - a.lead < b.due - b.lead;
            });
            const EventId id = next->id;
            const Clock::time_point due = next->due;
            const Clock::time_point wake = due - next->lead;
            if (Clock::now() < wake) {
                // Woken before the time by a change (or spuriously): look at the table again.
                changed_.wait_until(lock, wake);
                continue;
            }
            // Due: the next deadline stays on the grid; deadlines already passed are skipped.
            const Clock::time_point now = Clock::now();
            Clock::time_point following = due + next->period;
            if (following - next->lead <= now)
                following += ((now - (following - next->lead)) / next->period + 1) * next->period;
            next->due = following;
            std::shared_ptr<EventCallback> cb = next->callback;
            lock.unlock();
            (*cb)(id, due); // may kill or add events, and may wait for the GUI thread
            lock.lock();
            // A callback that overran its following deadlines: those are skipped too, so the next
            // call comes at the first grid deadline still ahead, not at once for one already passed.
            const auto self = std::find_if(events_.begin(), events_.end(), [id](const Event &e) { return e.id == id; });
            if (self != events_.end() && self->due == following) {
                const Clock::time_point after = Clock::now();
                if (self->due - self->lead <= after)
                    self->due += ((after - (self->due - self->lead)) / self->period + 1) * self->period;
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
    EventId nextId_ = 1;
    bool started_ = false;
};

} // namespace

EventId setEvent(quint32 periodMs, EventCallback callback, std::chrono::microseconds lead)
{
    if (periodMs == 0 || !callback)
        return 0;
    return Service::instance().add(periodMs, std::move(callback), lead);
}

bool killEvent(EventId id)
{
    return id != 0 && Service::instance().remove(id);
}

// ---------------------------------------------------------------------------------------------
// The hand-off: a posted event carries a ticket; the sender waits on a condition variable for the
// receiver to mark the ticket done. A ticket is either started by the receiver or abandoned by the
// sender, never both (compare-and-swap on its state), so a tick that was given up is never run.
// ---------------------------------------------------------------------------------------------

namespace {
const QEvent::Type kTicketEvent = QEvent::Type(QEvent::registerEventType());

inline void cpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

class TicketEvent : public QEvent {
public:
    TicketEvent(std::shared_ptr<Ticket> tk) : QEvent(kTicketEvent), ticket(std::move(tk)) {}
    std::shared_ptr<Ticket> ticket;
};
} // namespace

// The hidden window: a plain object living on the receiving thread.
class Receiver : public QObject {
public:
    explicit Receiver(std::weak_ptr<Line> line) : line_(std::move(line)) {}

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != kTicketEvent)
            return QObject::event(e);
        if (auto line = line_.lock())
            line->deliver(static_cast<TicketEvent *>(e)->ticket);
        return true;
    }

private:
    std::weak_ptr<Line> line_;
};

std::shared_ptr<Line> Line::create(Handler handler)
{
    std::shared_ptr<Line> line(new Line);
    line->handler_ = std::move(handler);
    line->receiver_ = new Receiver(line);
    return line;
}

Line::~Line()
{
    // The owner closes the line on the receiving thread; this is only the last sender letting go
    // of a line that was never closed.
    if (receiver_ && receiver_->thread() == QThread::currentThread())
        delete receiver_;
    else if (receiver_)
        receiver_->deleteLater();
}

qintptr Line::send(quint64 tag, std::chrono::microseconds timeout, Clock::time_point notBefore)
{
    const Clock::time_point now = Clock::now();
    notBefore = std::min(notBefore, now + kMaxLead);
    const Clock::time_point deadline = std::max(now, notBefore) + timeout;
    auto ticket = std::make_shared<Ticket>();
    ticket->tag = tag;
    ticket->notBefore = notBefore;
    std::unique_lock lock(mutex_);
    if (!receiver_)
        return 0;
    inFlight_.push_back(ticket);
    // High priority: a tick goes before the ordinary events already queued for the GUI thread.
    QCoreApplication::postEvent(receiver_, new TicketEvent(ticket), Qt::HighEventPriority);
    const bool answered = replied_.wait_until(lock, deadline, [&] {
        const int s = ticket->state.load();
        return s == Ticket::Done || s == Ticket::Abandoned;
    });
    if (!answered) {
        int expected = Ticket::Pending;
        if (ticket->state.compare_exchange_strong(expected, Ticket::Abandoned)) {
            abandoned_.fetch_add(1);
        }
        // else: the receiver has started it and will finish it, but too late to count as taken.
    }
    inFlight_.erase(std::remove(inFlight_.begin(), inFlight_.end(), ticket), inFlight_.end());
    return ticket->state.load() == Ticket::Done ? ticket->reply : 0;
}

void Line::post(quint64 tag)
{
    auto ticket = std::make_shared<Ticket>();
    ticket->tag = tag;
    ticket->wantsReply = false;
    std::lock_guard lock(mutex_);
    if (receiver_)
        QCoreApplication::postEvent(receiver_, new TicketEvent(ticket), Qt::HighEventPriority);
}

void Line::deliver(const std::shared_ptr<Ticket> &ticket)
{
    int expected = Ticket::Pending;
    if (!ticket->state.compare_exchange_strong(expected, Ticket::Running))
        return; // abandoned by its sender: never run late
    // Taken ahead of its time: hold it until then. The sender sent it just early enough to cover
    // this thread's wake-up, so this is a short wait, and it makes the handler start on time.
    while (Clock::now() < ticket->notBefore)
        cpuRelax();
    qintptr reply = 0;
    const Handler h = handler_; // the handler may close the line
    ++delivering_;
    if (h)
        reply = h(*ticket);
    --delivering_;
    finish(*ticket, reply);
}

void Line::finish(Ticket &t, qintptr reply)
{
    std::lock_guard lock(mutex_);
    t.reply = reply;
    t.state.store(Ticket::Done);
    replied_.notify_all();
}

void Line::abandonPending()
{
    std::lock_guard lock(mutex_);
    for (const auto &t : inFlight_) {
        int expected = Ticket::Pending;
        if (t->state.compare_exchange_strong(expected, Ticket::Abandoned)) {
            abandoned_.fetch_add(1);
            dropped_.fetch_add(1);
        }
    }
    replied_.notify_all();
}

int Line::waitingCount() const
{
    std::lock_guard lock(mutex_);
    return int(inFlight_.size());
}

void Line::close()
{
    Receiver *r = nullptr;
    {
        std::lock_guard lock(mutex_);
        r = receiver_;
        receiver_ = nullptr;
        handler_ = nullptr;
    }
    abandonPending();
    // Deleting it drops the events still queued for it; from inside one of them, later.
    if (r && delivering_ > 0)
        r->deleteLater();
    else
        delete r;
}

} // namespace hirestimer
