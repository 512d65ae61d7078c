#pragma once
// A bound on every flashed question of a test: one that has not ended kFlashSlackMs after its
// schedule (two flashes a number, an interval each) ends the test at once, saying which question
// stalled. A stalled question otherwise waits inside a loop no test wait can leave (the PC check's
// own, a modal window's) until Qt Test's watchdog ends it minutes later. QtCore only.
#include "drill/flashsequence.h"

#include <QHash>
#include <QPointer>
#include <QTimer>

namespace flashbound {

// Room for a test's deliberate stalls and a busy machine.
constexpr int kFlashSlackMs = 5000;

inline void install()
{
    FlashSequence::setStartWatch([](FlashSequence *sequence, int count, quint32 intervalMs) {
        // Each start is a new question: a timer left from one before sees the count has moved on.
        static QHash<const FlashSequence *, quint64> started;
        const quint64 question = ++started[sequence];
        const qint64 scheduleMs = qint64(count) * 2 * intervalMs;
        QTimer::singleShot(int(scheduleMs + kFlashSlackMs), sequence,
                           [s = QPointer<FlashSequence>(sequence), question, count, intervalMs, scheduleMs] {
            if (!s || started.value(s) != question || s->phase() == FlashSequence::Phase::Idle)
                return;
            qFatal("a flashed question (%d numbers at %u ms, due to end after %lld ms) has not ended %d ms later: "
                   "%d numbers shown, stuck with %s",
                   count, intervalMs, static_cast<long long>(scheduleMs), kFlashSlackMs, s->shownCount(),
                   s->phase() == FlashSequence::Phase::Shown ? "a number on the screen" : "the next number due");
        });
    });
}

} // namespace flashbound
