#pragma once
// Runs a real event loop until pred holds or timeoutMs have passed, and returns pred().
// QTest::qWait sleeps 10 ms between its rounds, longer than a short timer's tick may wait for the
// GUI thread, so the timer tests spin a loop of their own. QtCore only: core tests use it too.
#include <QEventLoop>
#include <QObject>
#include <QTimer>

template <class Pred>
bool runUntil(Pred pred, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (pred())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(1);
    if (!pred())
        loop.exec();
    return pred();
}
