#include "platform/hirestimer.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace hirestimer {

// ---------------------------------------------------------------------------------------------
// Periodic events: one timer thread serves them all, taking their deadlines in order, so that the
// flash screen's two timers (the number and the gap) never compete as two threads would.
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

} // namespace hirestimer
