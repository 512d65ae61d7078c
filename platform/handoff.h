#pragma once
// A time-limited synchronous hand-off from any thread to the thread that owns a receiving object:
// the timer thread (platform/hirestimer.h) passes each tick to the GUI thread through it and waits,
// a bounded time, for the GUI thread to have acted on it.
//
// QtCore only: the GUI thread is simply the thread on which the receiving object lives.
#include "platform/hirestimer.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace hirestimer {

// One message crossing from a sending thread to the receiving thread.
struct Ticket {
    enum State : int { Pending, Running, Done, Abandoned };
    quint64 tag = 0;            // the sender's generation, handed to the receiver untouched
    bool wantsReply = true;     // false: a notice, nobody waits for it
    Clock::time_point notBefore; // the receiver does not act on it earlier
    std::atomic<int> state{Pending};
    qintptr reply = 0;
};

class Receiver;

// The channel between any number of sending threads and the one thread that owns the receiver
// (the thread that called create()). Senders hold it by shared_ptr, so it outlives the receiver.
class Line : public std::enable_shared_from_this<Line> {
public:
    // Runs on the receiving thread for each message taken; the result is the sender's reply.
    using Handler = std::function<qintptr(const Ticket &)>;

    // Creates the receiving object on the calling thread (normally the GUI thread).
    static std::shared_ptr<Line> create(Handler handler);
    ~Line();

    // From a thread other than the receiving one: posts the message and waits for the receiver's
    // reply until timeout after notBefore (or after now, if that is later). Returns the reply, or
    // 0 when the message was not taken in time (or the line was closed): such a message is
    // abandoned and never handled later. A message the receiver has already started when the
    // time is up is not waited for either.
    //
    // A message may be sent a little ahead of notBefore: the receiving thread, woken early, takes it
    // and holds it until that instant, so what it does next happens on time rather than a thread
    // wake-up later. A notBefore further ahead than kMaxLead is taken as now + kMaxLead, so the
    // receiving thread never spins for long.
    qintptr send(quint64 tag, std::chrono::microseconds timeout, Clock::time_point notBefore = {});

    // From any thread: posts a notice that the receiver handles when it gets to it; no reply.
    void post(quint64 tag);

    // From the receiving thread: every message posted and not yet started is abandoned (its
    // sender returns 0 at once).
    void abandonPending();

    // From the receiving thread: abandons everything pending and releases the receiver; later
    // sends return 0 at once. Also done by the destructor of whoever owns the line.
    void close();

    // Statistics for tests and benchmarks: messages abandoned by a time-out, an abandonPending()
    // or a close; of those, the ones given up by abandonPending() or a close; senders waiting now.
    quint64 abandonedCount() const { return abandoned_.load(); }
    quint64 droppedCount() const { return dropped_.load(); }
    int waitingCount() const;

private:
    friend class Receiver;
    Line() = default;
    void deliver(const std::shared_ptr<Ticket> &ticket); // on the receiving thread
    void finish(Ticket &t, qintptr reply);

    mutable std::mutex mutex_;
    std::condition_variable replied_;
    Receiver *receiver_ = nullptr;   // guarded by mutex_; null once closed
    Handler handler_;                // used on the receiving thread only
    std::vector<std::shared_ptr<Ticket>> inFlight_; // guarded by mutex_
    std::atomic<quint64> abandoned_{0};
    std::atomic<quint64> dropped_{0};
    int delivering_ = 0; // receiving thread only
};

} // namespace hirestimer
