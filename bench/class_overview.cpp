// The class overview on a large classroom: 40 children with 10,000 drills each (400,000 lines), and
// pace lines for the last 5,000 of each.
// Prints the median time to read and decode every history alone, to open the overview (its
// activation: listing, reading, the rules, the table) and until it has painted, their ratio, the
// time a click on each column's header takes until the table has painted again (a frame is 16.7 ms),
// and the time to write the classroom's CSV.
#include "drill/pace.h"
#include "base/classroom.h"
#include "records/classoverview.h"
#include "records/csvexport.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "shell/main.h"
#include "tools/classroom.h"
#include "platform/textfile.h"
#include "settings/rand.h"
#include "users/userstore.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
constexpr int kChildren = 40;
constexpr int kDrills = 10000;

double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A child's history as the result sheet writes it, climbing the grades with failures between; the
// second half of the drills also has its pace lines (the pace file came later), one in 50 ずれあり.
void writeHistory(const QString &name, int seed)
{
    QStringList lines{userstore::recordHeader()}, paces{userstore::paceHeader()};
    lines.reserve(kDrills + 1);
    std::array<pace::QuestionPace, pace::kQuestions> onPace, late;
    onPace.fill(pace::QuestionPace{99, 30, 300, 200, 0});
    late = onPace;
    late[4].worstLateUs = 21000;
    QDate day(2000 + seed % 5, 1, 1);
    for (int i = 0; i < kDrills; ++i) {
        const int step = std::min(19, i / 500 + seed % 3);
        const int code = step < 10 ? 10 - step : step + 1;
        const int right = (i * 7 + seed) % 11;
        if (i % 3 == 0)
            day = day.addDays(1);
        lines << QStringLiteral("%1,%2/%3/%4,%5,%6,%7")
                     .arg(settings::gradeName(code))
                     .arg(day.year()).arg(day.month()).arg(day.day(), 2, 10, QLatin1Char('0'))
                     .arg(right).arg(10 - right)
                     .arg(right >= 8 ? QStringLiteral("合格") : QStringLiteral("不合格"));
        if (i >= kDrills / 2)
            paces << pace::line(QDateTime(day, QTime(10, 0)), settings::gradeName(code), i % 50 ? onPace : late);
    }
    userstore::createUser(name, QStringLiteral("pw"));
    textfile::rewrite(userstore::recordPath(name), lines);
    textfile::rewrite(userstore::pacePath(name), paces);
}

void clickHeader(QTableView *v, int section)
{
    QHeaderView *h = v->horizontalHeader();
    const QPointF at(h->sectionViewportPosition(section) + 10, h->height() / 2);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, at, h->viewport()->mapToGlobal(at), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(h->viewport(), &e);
    }
    v->viewport()->repaint();
    QCoreApplication::processEvents();
}
} // namespace

int main(int argc, char **argv)
{
    App app(argc, argv);
    QTemporaryDir work, away;
    layOutClassroom(work.path(), "teacher");
    Classroom::use(Classroom(work.path()));
    dialogs::setHook([](const dialogs::Shown &s) {
        std::fprintf(stderr, "box: %s\n", qPrintable(s.text));
        return true;
    });
    for (int c = 0; c < kChildren; ++c)
        writeHistory(QStringLiteral("せいと%1").arg(c + 1, 2, 10, QLatin1Char('0')), c);
    app.createScreens();
    Screens &s = app.screens();
    s.mainMenu->Show();
    asScreen(s.studentsRecords)->Show();
    ClassOverview *o = s.classOverview;

    std::vector<double> read, activate, painted;
    for (int r = 0; r < 7; ++r) {
        auto t0 = Clock::now();
        qsizetype lines = 0;
        for (const QString &name : userstore::listUsers())
            lines += textfile::readLines(userstore::recordPath(name)).size();
        read.push_back(msSince(t0));
        if (lines != kChildren * (kDrills + 1))
            std::fprintf(stderr, "read %lld lines\n", qlonglong(lines));
        t0 = Clock::now();
        o->Show();
        activate.push_back(msSince(t0));
        o->repaint();
        QCoreApplication::processEvents();
        painted.push_back(msSince(t0));
        if (o->Grid->model()->rowCount() != kChildren)
            std::fprintf(stderr, "%d rows\n", o->Grid->model()->rowCount());
        if (r + 1 < 7) {
            o->Close();
            QCoreApplication::processEvents();
        }
    }
    std::printf("%d children x %d drills, platform %s\n", kChildren, kDrills, qPrintable(QGuiApplication::platformName()));
    std::printf("read+decode %.1f ms, overview activation %.1f ms, painted %.1f ms, ratio %.2fx\n", median(read),
                median(activate), median(painted), median(activate) / median(read));

    std::printf("header click until painted:");
    for (int c = 0; c < overview::ColumnCount; ++c) {
        std::vector<double> clicks;
        for (int r = 0; r < 4; ++r) {
            const auto t0 = Clock::now();
            clickHeader(o->Grid, c);
            clicks.push_back(msSince(t0));
        }
        std::printf(" %s %.2f ms;", qPrintable(overview::columnTitle(overview::Column(c))), median(clicks));
    }
    std::printf("\n");

    std::vector<double> csv;
    for (int r = 0; r < 3; ++r) {
        const auto t0 = Clock::now();
        csvexport::exportClassroom(Classroom(work.path()), away.filePath(QStringLiteral("k.csv")));
        csv.push_back(msSince(t0));
    }
    std::printf("CSV of the classroom: %.1f ms, %lld KiB\n", median(csv),
                qlonglong(QFileInfo(away.filePath(QStringLiteral("k.csv"))).size() / 1024));
    o->Close();
    asScreen(s.studentsRecords)->Close();
    s.mainMenu->restoreDisplayMode();
    app.destroyScreens();
    return 0;
}
