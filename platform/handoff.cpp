#include "platform/handoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <algorithm>

namespace hirestimer {

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

// The receiving end: a plain object living on the receiving thread, to which messages are posted.
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
