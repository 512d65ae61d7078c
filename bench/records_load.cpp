// Records loading: the own-records screen opened on histories of 1,000, 10,000 and 100,000 drills.
// For each size it prints the time for the activation (title, header row, reading the file and
// filling the table), the time until the screen has painted, the time to close it, and beside them
// the time just to read and decode the same file; then the resident memory with the table filled.
// Then a damaged history: twenty drills and one line of 4 MiB, and of 15 MiB, in the middle of a
// field: the time to open the screen and until it has painted, and the time a click on the table
// takes until it has painted again (a frame is 16.7 ms).
#include "resident.h"
#include "base/classroom.h"
#include "records/kiroku.h"
#include "records/recordgrid.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "shell/main.h"
#include "tools/classroom.h"
#include "platform/textfile.h"
#include "users/userstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>

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

// A registered user whose history holds `drills` lines after the header, of the kinds the result
// sheet writes.
void writeHistory(const QString &name, int drills)
{
    const char *grades[] = {"１０級", "９級", "５級", "１級", "初段", "十段"};
    QStringList lines{userstore::recordHeader()};
    lines.reserve(drills + 1);
    for (int i = 0; i < drills; ++i) {
        const int right = (i * 7) % 11;
        lines << QStringLiteral("%1,%2/%3/%4,%5,%6,%7")
                     .arg(QString::fromUtf8(grades[i % 6]))
                     .arg(2004 + i / 3000)
                     .arg(i / 250 % 12 + 1)
                     .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                     .arg(right)
                     .arg(10 - right)
                     .arg(right >= 8 ? QStringLiteral("合格") : QStringLiteral("不合格"));
    }
    userstore::createUser(name, QStringLiteral("pw"));
    textfile::rewrite(userstore::recordPath(name), lines);
}

// A registered user whose history holds twenty drills with one line of about `bytes` bytes among
// them, its third field run on with kanji (as a torn or overwritten file may hold it).
void writeHugeLine(const QString &name, qint64 bytes)
{
    QStringList lines{userstore::recordHeader()};
    for (int i = 0; i < 20; ++i) {
        lines << QStringLiteral("１０級,2004/7/%1,9,1,合格").arg(i + 1, 2, 10, QLatin1Char('0'));
        if (i == 10)
            lines << QStringLiteral("１０級,2004/7/11,") + QStringLiteral("合格不合格").repeated(bytes / 10) + QStringLiteral(",1,合格");
    }
    userstore::createUser(name, QStringLiteral("pw"));
    textfile::rewrite(userstore::recordPath(name), lines);
}

// A left click on the middle of a cell, and the repaint it asks for.
void clickTable(QAbstractItemView *view, const QModelIndex &cell)
{
    QWidget *vp = view->viewport();
    const QPointF at = view->visualRect(cell).center();
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, at, vp->mapToGlobal(at), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &e);
    }
    view->viewport()->repaint();
    QCoreApplication::processEvents();
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2) : QString();
}

} // namespace

int main(int argc, char **argv)
{
    App app(argc, argv);
    QTemporaryDir work;
    layOutClassroom(work.path(), "teacher");
    Classroom::use(Classroom(work.path()));
    dialogs::setHook([](const dialogs::Shown &s) {
        std::fprintf(stderr, "box: %s\n", qPrintable(s.text));
        return true;
    });
    app.createScreens();
    Screens &s = app.screens();
    s.mainMenu->Show();
    s.mainMenu->setLoggedIn(true);
    TForm8 *f = s.ownRecords;

    std::printf("load: %s on %d CPUs, platform %s\n", qPrintable(loadAverage()), QThread::idealThreadCount(),
                qPrintable(QGuiApplication::platformName()));
    std::printf("%8s %10s %12s %12s %10s %8s %10s %12s\n", "drills", "file KiB", "read+decode", "activation", "painted", "close",
                "ratio", "RSS KiB");
    const long baseRss = residentKiB();
    for (int drills : {1000, 10000, 100000}) {
        const QString name = QStringLiteral("child%1").arg(drills);
        writeHistory(name, drills);
        app.state().userName = name;
        const int reps = drills >= 100000 ? 5 : drills >= 10000 ? 15 : 40;

        std::vector<double> read, activate, painted, close;
        long rss = 0;
        // Reading alone and opening the screen take turns, so that both meet the same machine.
        for (int r = 0; r < reps; ++r) {
            auto t0 = Clock::now();
            {
                const QStringList lines = userstore::readHistory(name);
                read.push_back(msSince(t0));
                if (lines.size() != drills + 1)
                    std::fprintf(stderr, "read %lld lines, expected %d\n", qlonglong(lines.size()), drills + 1);
            }
            t0 = Clock::now();
            f->Show();
            activate.push_back(msSince(t0));
            f->repaint(); // what the child sees: the title and the first rows drawn
            QCoreApplication::processEvents();
            painted.push_back(msSince(t0));
            if (f->StringGrid1->RowCount() != drills + 2)
                std::fprintf(stderr, "table has %d rows, expected %d\n", f->StringGrid1->RowCount(), drills + 2);
            rss = residentKiB();
            const auto t1 = Clock::now();
            f->Close();
            close.push_back(msSince(t1));
            QCoreApplication::processEvents();
        }
        const double rd = median(read), act = median(activate);
        std::printf("%8d %10lld %10.2fms %10.2fms %8.2fms %6.2fms %9.2fx %12ld\n", drills,
                    qlonglong(QFileInfo(userstore::recordPath(name)).size() / 1024), rd, act, median(painted),
                    median(close), act / rd, rss);
    }
    std::printf("RSS before the first loading: %ld KiB\n", baseRss);

    std::printf("\n%12s %10s %12s %10s %12s %12s\n", "huge line", "file KiB", "activation", "painted", "click+paint", "longest cell");
    for (qint64 bytes : {qint64(4) << 20, qint64(15) << 20}) {
        const QString name = QStringLiteral("damaged%1").arg(bytes >> 20);
        writeHugeLine(name, bytes);
        app.state().userName = name;
        auto t0 = Clock::now();
        f->Show();
        const double act = msSince(t0);
        f->repaint();
        QCoreApplication::processEvents();
        const double painted = msSince(t0);
        // The huge row in view, then clicks on it.
        const QModelIndex huge = f->StringGrid1->model()->index(11, 2); // file line 12
        f->StringGrid1->scrollTo(huge, QAbstractItemView::PositionAtTop);
        QCoreApplication::processEvents();
        std::vector<double> clicks;
        for (int r = 0; r < 3; ++r) {
            const auto t1 = Clock::now();
            clickTable(f->StringGrid1, huge);
            clicks.push_back(msSince(t1));
        }
        qsizetype longest = 0;
        for (int row = 0; row < f->StringGrid1->RowCount(); ++row)
            for (int c = 0; c < 5; ++c)
                longest = std::max(longest, f->StringGrid1->Cells(c, row).size());
        std::printf("%9lld MiB %10lld %10.2fms %8.2fms %10.2fms %12lld\n", qlonglong(bytes >> 20),
                    qlonglong(QFileInfo(userstore::recordPath(name)).size() / 1024), act, painted, median(clicks),
                    qlonglong(longest));
        f->Close();
        QCoreApplication::processEvents();
    }
    s.mainMenu->restoreDisplayMode();
    app.destroyScreens();
    return 0;
}
