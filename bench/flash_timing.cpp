// Flash timing: the real flash screen with its real TMMTimers under a real X server, against the
// same handlers driven by a plain Qt::PreciseTimer, question by question in turn.
//
// For every number on and number off it records the deadline (previous handler start + I), the
// handler's start, the end of the number label's paint (the synchronous repaint has returned, so
// the picture is in the X server's queue) and the end of a round trip to the X server after it.
#include "drill/MMTimer.h"
#include "base/classroom.h"
#include "drill/drillsession.h"
#include "settings/graderules.h"
#include "drill/numberlabel.h"
#include "drill/start.h"
#include "platform/sound.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "platform/display.h"
#include "tools/classroom.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Tick {
    Clock::time_point deadline, start, painted, server;
    Clock::duration paintOnly{}; // the label's paintEvent alone
    Clock::duration beforePaint{}, afterPaint{}; // tick to paintEvent, paintEvent to the handler's end
    bool shows = false; // a number appeared (else one was wiped)
};

struct Run {
    std::vector<Tick> ticks;
    std::vector<double> spanError; // per question: span - (2N-1) I, ms
    quint64 missed = 0;
    int questions = 0, completed = 0;
};

struct Case {
    const char *name;
    int digits, count;
    double seconds;
    int questions;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

struct Summary {
    double p50, p99, max;
};
Summary summarise(const std::vector<double> &v)
{
    return {percentile(v, 0.5), percentile(v, 0.99), v.empty() ? 0 : *std::max_element(v.begin(), v.end())};
}

class Bench {
public:
    Bench() : x11_(qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {}

    bool hasX() const { return x11_ && x11_->connection(); }

    // One question on the flash screen's own timers.
    void questionOnMMTimers(TForm2 *f, Run &run, quint32 interval)
    {
        current_ = &run;
        interval_ = interval;
        const quint64 missedBefore = f->MMTimer2->missedTicks() + f->MMTimer3->missedTicks();
        f->MMTimer2->setOnTimer([this, f](QObject *s) { instrumented(f, [f, s] { f->MMTimer2Timer(s); }); });
        f->MMTimer3->setOnTimer([this, f](QObject *s) { instrumented(f, [f, s] { f->MMTimer3Timer(s); }); });
        // The flash screen's own recovery from a missed tick, timed like any other handler.
        QObject::disconnect(f->MMTimer2, &TMMTimer::switchedOff, nullptr, nullptr);
        QObject::disconnect(f->MMTimer3, &TMMTimer::switchedOff, nullptr, nullptr);
        auto c2 = QObject::connect(f->MMTimer2, &TMMTimer::switchedOff, f, [this, f] {
            if (f->phase() == TForm2::Phase::Gap && !f->MMTimer2->Enabled())
                instrumented(f, [f] { f->MMTimer2Timer(f->MMTimer2); });
        });
        auto c3 = QObject::connect(f->MMTimer3, &TMMTimer::switchedOff, f, [this, f] {
            if (f->phase() == TForm2::Phase::Shown && !f->MMTimer3->Enabled())
                instrumented(f, [f] { f->MMTimer3Timer(f->MMTimer3); });
        });
        startCountdownEnd(f);
        waitForEnd(f, run);
        QObject::disconnect(c2);
        QObject::disconnect(c3);
        run.missed += f->MMTimer2->missedTicks() + f->MMTimer3->missedTicks() - missedBefore;
    }

    // The same question with the same handlers, driven by a plain precise QTimer restarted at the
    // start of every handler with the same interval.
    void questionOnQTimer(TForm2 *f, Run &run, quint32 interval)
    {
        current_ = &run;
        interval_ = interval;
        // Without a handler the flash timers start no event when the handlers switch them.
        f->MMTimer2->setOnTimer({});
        f->MMTimer3->setOnTimer({});
        QTimer reference;
        reference.setTimerType(Qt::PreciseTimer);
        reference.setSingleShot(true);
        reference.setInterval(int(interval));
        QObject::connect(&reference, &QTimer::timeout, f, [&] {
            instrumented(f, [&] {
                reference.start();
                if (f->phase() == TForm2::Phase::Gap)
                    f->MMTimer2Timer(f->MMTimer2);
                else if (f->phase() == TForm2::Phase::Shown)
                    f->MMTimer3Timer(f->MMTimer3);
                if (f->phase() == TForm2::Phase::Idle)
                    reference.stop();
            });
        });
        startCountdownEnd(f);
        reference.start();
        waitForEnd(f, run);
    }

private:
    // The last countdown step starts the first interval; its start is the first deadline's base.
    void startCountdownEnd(TForm2 *f)
    {
        f->Rearm(); // the countdown at 3, as the answer box leaves it
        f->Timer1->stop(); // ticked here instead
        f->Timer1Timer();
        f->Timer1Timer();
        QEventLoop settle; // the countdown label's repaints happen now, not in the first interval
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
        previousStart_ = Clock::now();
        first_ = true;
        f->Timer1Timer();
    }

    void waitForEnd(TForm2 *f, Run &run)
    {
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(60000, &loop, &QEventLoop::quit); // a stalled question gives up
        questionStart_ = {};
        loop.exec();
        loop_ = nullptr;
        ++run.questions;
        if (f->phase() == TForm2::Phase::Idle && f->Timer4->isActive()) {
            ++run.completed;
            const double nominal = double(2 * App::instance()->state().gradeParams.count - 1) * interval_;
            run.spanError.push_back(ms(lastStart_ - questionStart_) - nominal);
        }
        f->Timer4->stop();
        f->MMTimer2->setEnabled(false);
        f->MMTimer3->setEnabled(false);
    }

    template <class F>
    void instrumented(TForm2 *f, F handler)
    {
        Tick t;
        t.start = Clock::now();
        t.deadline = previousStart_ + std::chrono::milliseconds(interval_);
        previousStart_ = t.start;
        if (first_) {
            questionStart_ = t.start;
            first_ = false;
        }
        lastStart_ = t.start;
        handler();
        t.painted = Clock::now();
        t.paintOnly = f->Label2->lastPaintEnd() - f->Label2->lastPaintStart();
        t.shows = !f->Label2->text().isEmpty();
        if (f->Label2->lastPaintStart() >= t.start) {
            t.beforePaint = f->Label2->lastPaintStart() - t.start;
            t.afterPaint = t.painted - f->Label2->lastPaintEnd();
        }
        if (hasX()) {
            xcb_connection_t *c = x11_->connection();
            free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        }
        t.server = Clock::now();
        current_->ticks.push_back(t);
        if (f->phase() == TForm2::Phase::Idle && loop_)
            loop_->quit();
    }

    QNativeInterface::QX11Application *x11_;
    Run *current_ = nullptr;
    quint32 interval_ = 0;
    Clock::time_point previousStart_, questionStart_, lastStart_;
    bool first_ = true;
    QEventLoop *loop_ = nullptr;
};

void report(const char *who, const Case &c, quint32 interval, const Run &r)
{
    std::vector<double> late, intervalErr, paint, paintOnly, server, before, after, showing, wiping;
    for (size_t i = 0; i < r.ticks.size(); ++i) {
        const Tick &t = r.ticks[i];
        late.push_back(ms(t.start - t.deadline));
        intervalErr.push_back(std::abs(ms(t.start - t.deadline))); // start to start minus I
        paint.push_back(ms(t.painted - t.start));
        paintOnly.push_back(ms(t.paintOnly));
        server.push_back(ms(t.server - t.start));
        before.push_back(ms(t.beforePaint));
        after.push_back(ms(t.afterPaint));
        (t.shows ? showing : wiping).push_back(ms(t.paintOnly));
    }
    const Summary sh = summarise(showing), wi = summarise(wiping);
    const Summary b = summarise(before), a = summarise(after);
    const Summary l = summarise(late), e = summarise(intervalErr), p = summarise(paint), po = summarise(paintOnly),
                  s = summarise(server), sp = summarise(r.spanError);
    std::printf("  %-8s %-22s I=%4ums ticks=%4zu questions=%d/%d missed=%llu\n", who, c.name, interval,
                r.ticks.size(), r.completed, r.questions, (unsigned long long)r.missed);
    std::printf("           lateness   p50 %7.3f  p99 %7.3f  max %8.3f ms\n", l.p50, l.p99, l.max);
    std::printf("           |interval err| p50 %7.3f  p99 %7.3f  max %8.3f ms\n", e.p50, e.p99, e.max);
    std::printf("           tick->painted p50 %7.3f  p99 %7.3f  max %8.3f ms (paintEvent alone p50 %.3f p99 %.3f)\n",
                p.p50, p.p99, p.max, po.p50, po.p99);
    std::printf("           of which before paintEvent p50 %.3f p99 %.3f, after it (the flush) p50 %.3f p99 %.3f ms\n",
                b.p50, b.p99, a.p50, a.p99);
    std::printf("           paintEvent showing p50 %.3f p99 %.3f, wiping p50 %.3f p99 %.3f ms\n", sh.p50, sh.p99,
                wi.p50, wi.p99);
    std::printf("           tick->X server p50 %7.3f  p99 %7.3f  max %8.3f ms\n", s.p50, s.p99, s.max);
    std::printf("           span - (2N-1)I  p50 %7.3f  max %8.3f ms\n", sp.p50, sp.max);
    // One line per case and driver for the table the script puts together across display sizes.
    const QSize d = display::currentSize();
    std::printf("row %dx%d %-8s %-22s late_p99=%.3f paint_p99=%.3f server_p99=%.3f missed=%llu ticks=%zu\n", d.width(),
                d.height(), who, c.name, l.p99, p.p99, s.p99, (unsigned long long)r.missed, r.ticks.size());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    // On a display larger than the layout the screens are drawn scaled, as the program draws them.
    display::scaleLayoutBeforeApp();
    App app(argc, argv);
    dialogs::setHook([](const dialogs::Shown &s) {
        std::fprintf(stderr, "box: %s\n", qPrintable(s.text));
        return true;
    });
    sound::setObserver([](sound::Cue) {});

    QTemporaryDir dir;
    layOutClassroom(dir.path(), "teacher");
    Classroom::use(Classroom(dir.path()));
    app.createScreens();

    Bench bench;
    if (!bench.hasX())
        std::fprintf(stderr, "flash-timing: not on an X server; the round trip is not measured\n");

    const Case cases[] = {
        {"十段 (3/15/3s)", 3, 15, 3.0, 8},
        {"五段 (3/10/4.5s)", 3, 10, 4.5, 5},
        {"fast (3/15/0.435s)", 3, 15, 0.435, 20},
        {"extreme (3/99/1s)", 3, 99, 1.0, 12},
    };
    TForm2 *f = app.screens().flashScreen;
    SharedState &st = app.state();
    st.gradeName = QStringLiteral("bench");
    st.gradeParams = GradeParams{cases[0].digits, cases[0].count, cases[0].seconds};
    f->Show();
    QEventLoop settle;
    QTimer::singleShot(1000, &settle, &QEventLoop::quit);
    settle.exec();

    double line99[6] = {};
    quint64 missed99 = 0;
    // PZ_FLASH_CASES: run only the cases whose name holds this text (a quick look at one pace).
    const QByteArray only = qgetenv("PZ_FLASH_CASES");
    std::printf("display %dx%d, layout drawn at %.3f\n", display::currentSize().width(), display::currentSize().height(),
                display::layoutFactor());
    {
        // How many device pixels a flash repaints: the label, and the inked box of a wide number.
        f->Label2->prepare();
        const qreal r = f->Label2->devicePixelRatioF();
        const QRect ink = f->Label2->inkRect(QStringLiteral("808"));
        std::printf("number label %dx%d device px, ink of 808 %dx%d at %d,%d\n", qRound(f->Label2->width() * r),
                    qRound(f->Label2->height() * r), qRound(ink.width() * r), qRound(ink.height() * r),
                    qRound(ink.x() * r), qRound(ink.y() * r));
    }
    for (const Case &c : cases) {
        if (!only.isEmpty() && !QByteArray(c.name).contains(only))
            continue;
        st.gradeParams = GradeParams{c.digits, c.count, c.seconds};
        const quint32 interval = quint32(graderules::displayInterval(c.seconds, c.count));
        Run ours, reference;
        for (int q = 0; q < c.questions; ++q) {
            st.drill->ended(); // each question a fresh drill: its sum from 0
            bench.questionOnMMTimers(f, ours, interval);
            st.drill->ended(); // each question a fresh drill: its sum from 0
            bench.questionOnQTimer(f, reference, interval);
        }
        std::printf("%s\n", c.name);
        report("TMMTimer", c, interval, ours);
        report("QTimer", c, interval, reference);
        if (interval == 99) {
            std::vector<double> late, err, paint, qlate;
            for (const Tick &t : ours.ticks) {
                late.push_back(ms(t.start - t.deadline));
                err.push_back(std::abs(ms(t.start - t.deadline)));
                paint.push_back(ms(t.painted - t.start));
            }
            for (const Tick &t : reference.ticks)
                qlate.push_back(ms(t.start - t.deadline));
            line99[0] = percentile(late, 0.99);
            line99[1] = percentile(err, 0.99);
            line99[2] = summarise(err).max;
            line99[3] = percentile(paint, 0.99);
            line99[4] = percentile(qlate, 0.99);
            missed99 = ours.missed;
        }
    }
    f->Timer1->stop();
    std::printf("flash-timing: I=99ms lateness_p99_ms=%.3f interval_p99_ms=%.3f interval_max_ms=%.3f "
                "paint_p99_ms=%.3f missed=%llu qtimer_lateness_p99_ms=%.3f\n",
                line99[0], line99[1], line99[2], line99[3], (unsigned long long)missed99, line99[4]);
    std::fflush(stdout);
    app.destroyScreens();
    Classroom::use(Classroom());
    return 0;
}
