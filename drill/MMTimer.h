#pragma once
// TMMTimer: a timer (Enabled, Interval, OnTimer) whose ticks come from the high-resolution timer
// thread rather than from the GUI thread's event loop, where a tick would wait behind whatever the
// loop is busy with. Each tick is handed synchronously to the thread that created the timer (the
// GUI thread), which runs OnTimer; the timer thread waits at most replyTimeout ms for it and
// switches the timer off when the tick is not taken.
#include "platform/handoff.h"
#include "platform/hirestimer.h"

#include <QObject>
#include <functional>
#include <memory>

class TMMTimer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(quint32 Interval READ Interval WRITE setInterval)

public:
    using TNotifyEvent = std::function<void(QObject *sender)>;

    explicit TMMTimer(QObject *owner = nullptr);
    ~TMMTimer() override;

    // Every change of Enabled, Interval or OnTimer restarts the period from that moment; assigning
    // the current value of Enabled or Interval changes nothing.
    bool Enabled() const;
    void setEnabled(bool value);
    quint32 Interval() const { return interval_; }
    void setInterval(quint32 value);
    const TNotifyEvent &OnTimer() const { return onTimer_; }
    void setOnTimer(TNotifyEvent handler);

    // How long a tick waits for the GUI thread: 0.9 x Interval, a half rounded to even.
    quint32 replyTimeout() const { return replyTimeout_; }
    static quint32 replyTimeoutFor(quint32 interval);

    // Ticks that were not taken in time, since creation.
    quint64 missedTicks() const;

    // The hand-off to the owner's thread, for tests and benchmarks (its counts of waiting and
    // dropped ticks). It outlives the timer.
    std::shared_ptr<const hirestimer::Line> line() const;

signals:
    // Emitted on the owner's thread after the timer switched itself off because a tick was not
    // taken in time. It stays off; whoever relies on it may restart it or do the tick's work.
    void switchedOff();

protected:
    // Runs on the owner's thread for every tick taken: calls OnTimer with the timer as sender. An
    // exception it throws is reported after the tick has been answered as taken.
    virtual void Tick();

private:
    struct Shared;
    void UpdateTimer();
    void restartLocked(); // UpdateTimer's work, with the shared lock held
    qintptr receive(const hirestimer::Ticket &message); // on the owner's thread
    static void DeliverTick(const std::shared_ptr<Shared> &shared, quint64 generation,
                            std::chrono::microseconds timeout, hirestimer::Clock::time_point due);

    std::shared_ptr<Shared> shared_; // what the timer thread may touch
    quint32 interval_ = 1000;
    quint32 replyTimeout_ = 900;
    TNotifyEvent onTimer_;
};
