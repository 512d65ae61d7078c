#pragma once
// Plays questions through the drill's own events, as the flash screen and the answer box send them.
// QtCore only, so the core's tests and the screens' tests share it.
#include "drill/drillsession.h"

#include <QStringList>

namespace drillplay {

inline const DrillSession::Owner kOwner{QStringLiteral("たろう"), QStringLiteral("１０級"), QDate(2004, 7, 5)};

// One question: its numbers flashed, then answered with typed.
inline DrillSession::Answered question(DrillSession &d, const QList<int> &numbers, const QString &typed,
                                       const DrillSession::Owner &owner = kOwner)
{
    for (int n : numbers)
        d.numberShown(n);
    d.questionFinished();
    return d.answered(typed, owner);
}

// Questions flashed one number each (its sum) and answered as typed; the drill is left as the last
// answer leaves it (no end). Returns what the last answer led to.
inline DrillSession::Answered questions(DrillSession &d, const QList<int> &sums, const QStringList &typed,
                                        const DrillSession::Owner &owner = kOwner)
{
    DrillSession::Answered last;
    for (int k = 0; k < sums.size(); ++k)
        last = question(d, {sums[k]}, typed.value(k), owner);
    return last;
}

// Every answer right: n questions of one number each, k + 1 for question k.
inline DrillSession::Answered rightAnswers(DrillSession &d, int n)
{
    QList<int> sums;
    QStringList typed;
    for (int k = 0; k < n; ++k) {
        sums << k + 1;
        typed << QString::number(k + 1);
    }
    return questions(d, sums, typed);
}

} // namespace drillplay
