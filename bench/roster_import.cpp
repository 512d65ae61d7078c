// A class of 35 from a list: reading the list, the plan, the registration as one change and the login
// cards' page, in a fresh classroom each round. Prints the median of each step and of the whole
// (the teacher should wait well under a second for all of it).
#include "base/classroom.h"
#include "users/logincards.h"
#include "users/roster.h"
#include "users/userstore.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QByteArray list = "名前,パスワード,組\r\n";
    for (int i = 1; i <= 35; ++i)
        list += QStringLiteral("せいと%1,,%2組\r\n").arg(i).arg(1 + i % 3).toUtf8();
    std::vector<double> plan, reg, cards, whole;
    for (int round = 0; round < 11; ++round) {
        QTemporaryDir room, out;
        QDir(room.path()).mkdir(QStringLiteral("user"));
        const Classroom::Using using_{Classroom(room.path())};
        const Clock::time_point t0 = Clock::now();
        const roster::Plan p = roster::plan(roster::parse(list), [](int n) { return n / 2; });
        plan.push_back(msSince(t0));
        Clock::time_point t = Clock::now();
        if (!roster::carryOut(p).isEmpty() || userstore::listUsers().size() != 35) {
            std::fprintf(stderr, "not registered\n");
            return 1;
        }
        reg.push_back(msSince(t));
        t = Clock::now();
        if (!logincards::writePdf(Classroom(room.path()), logincards::cardsOf(p), out.filePath(QStringLiteral("c.pdf"))).isEmpty())
            return 1;
        cards.push_back(msSince(t));
        whole.push_back(msSince(t0));
    }
    std::printf("35 children, median of 11 rounds: plan %.1f ms, registration %.1f ms, cards %.1f ms, whole %.1f ms\n",
                median(plan), median(reg), median(cards), median(whole));
    return median(whole) < 1000 ? 0 : 1;
}
