#pragma once
// Ticks on time to the millisecond, which Qt's timers do not promise (they wait behind whatever the
// GUI thread's event loop is doing): periodic events served by a timer thread of their own, which
// sleeps to absolute deadlines on the monotonic clock. The ticks reach the GUI thread through the
// synchronous hand-off with a time limit in platform/handoff.h, so that a busy receiver costs a
// tick, never a late one.
//
// QtCore only: the GUI thread is simply the thread on which the receiving object lives.
#include <QObject>
#include <QtGlobal>

#include <chrono>
#include <functional>

namespace hirestimer {

using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC

// The longest a tick is handed on ahead of its deadline (and so the longest the receiving thread
// holds it, spinning, before acting on it).
constexpr std::chrono::microseconds kMaxLead(1000);

// ---- periodic events ----

using EventId = quint32; // 0 is never a valid event
// Called on the timer thread with the event and the deadline it is called for.
using EventCallback = std::function<void(EventId, Clock::time_point due)>;

// Starts a periodic event: callback runs on the timer thread every periodMs milliseconds, the
// first time periodMs after this call, until the event is killed. Deadlines lie on a fixed grid
// (start + k * period); when a callback overruns a deadline that deadline is skipped, never made
// up with a burst. Returns 0 (and starts nothing) for a period of 0.
//
// lead: the callback is called that much before each deadline (at most a quarter of the period
// and at most kMaxLead),
// so that it can hand the tick on in time to whoever must act exactly at the deadline.
EventId setEvent(quint32 periodMs, EventCallback callback,
                 std::chrono::microseconds lead = std::chrono::microseconds(0));

// Stops an event; false when there is no such event (already killed). Callable from any thread,
// including from the event's own callback. It never waits for a callback that is running, so the
// GUI thread can kill an event whose tick is at that moment waiting for the GUI thread.
bool killEvent(EventId id);

} // namespace hirestimer
