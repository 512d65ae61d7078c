// Lock contention: a classroom finishing its drills together. Writer processes (30 by default),
// each a pupil of its own, append a drill line at the same moment through the user store, round
// after round (15 by default); then the same writers append their lines back to back (10 each).
// Prints for each run how many appends were refused as busy or failed otherwise, how many lines
// the history files hold afterwards, and the longest and median wait for one append (the lock and
// the write together).
//
//   bench_lock_contention [--writers N] [--rounds R] [--in-a-row K] [--folder DIR]
//   bench_lock_contention --writer START_MS NAME COUNT     (one writer; started by the above)
#include "base/errors.h"
#include "base/classroom.h"
#include "users/userstore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {
const QString kLine = QStringLiteral("１級,2024/1/01,8,2,合格");

// One writer: waits for the common start, then appends COUNT lines one after another. Prints one
// line per append: "ok MS", "busy MS" or "error MS".
int writer(qint64 startMs, const QString &name, int count)
{
    const qint64 delay = startMs - QDateTime::currentMSecsSinceEpoch();
    if (delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    for (int i = 0; i < count; ++i) {
        QElapsedTimer t;
        t.start();
        const char *outcome = "ok";
        try {
            userstore::appendDrill(name, kLine);
        } catch (const pz::IoError &e) {
            outcome = e.reason() == pz::reason::busy() ? "busy" : "error";
            if (qstrcmp(outcome, "error") == 0)
                std::fprintf(stderr, "%s\n", e.what());
        }
        std::printf("%s %lld\n", outcome, static_cast<long long>(t.elapsed()));
    }
    return 0;
}

struct Tally {
    int ok = 0, busy = 0, errors = 0, lost = 0;
    std::vector<qint64> waits;
};

QString pupil(int i) { return QStringLiteral("pupil%1").arg(i, 2, 10, QLatin1Char('0')); }

// Starts every writer with `count` appends and a common start 1.5 s ahead (time enough to start
// them all), and adds up what they print.
void runWriters(const QString &folder, int writers, int count, Tally &tally)
{
    const qint64 start = QDateTime::currentMSecsSinceEpoch() + 1500;
    std::vector<std::unique_ptr<QProcess>> procs;
    for (int i = 0; i < writers; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--writer"), QString::number(start), pupil(i), QString::number(count), folder});
        procs.push_back(std::move(p));
    }
    for (auto &p : procs) {
        p->waitForFinished(120000);
        int answers = 0;
        while (p->canReadLine()) {
            const QList<QByteArray> f = p->readLine().trimmed().split(' ');
            ++answers;
            if (f.value(0) == "ok")
                ++tally.ok;
            else if (f.value(0) == "busy")
                ++tally.busy;
            else
                ++tally.errors;
            tally.waits.push_back(f.value(1).toLongLong());
        }
        tally.lost += count - answers; // a writer that died or hung
    }
}

int recordedLines(const QString &folder, int writers)
{
    const Classroom::Using room{Classroom(folder)};
    int lines = 0;
    for (int i = 0; i < writers; ++i)
        lines += int(userstore::readHistory(pupil(i)).size()) - 1;
    return lines;
}

void report(const char *title, int writers, int rounds, int each, const QString &folder, int before, Tally tally)
{
    std::sort(tally.waits.begin(), tally.waits.end());
    const qint64 longest = tally.waits.empty() ? 0 : tally.waits.back();
    const qint64 median = tally.waits.empty() ? 0 : tally.waits[tally.waits.size() / 2];
    const int appends = writers * rounds * each;
    const int recorded = recordedLines(folder, writers) - before;
    std::printf("%s: %d writers x %d = %d appends\n", title, writers, rounds * each, appends);
    std::printf("  refused as busy %d, other errors %d, no answer %d\n", tally.busy, tally.errors, tally.lost);
    std::printf("  recorded %d of %d lines%s\n", recorded, appends, recorded == tally.ok ? "" : "  (NOT the number of ok answers)");
    std::printf("  wait per append: longest %lld ms, median %lld ms\n", static_cast<long long>(longest), static_cast<long long>(median));
    std::fflush(stdout);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--writer"))
    {
        Classroom::use(Classroom(args.value(4)));
        return writer(args.value(1).toLongLong(), args.value(2), args.value(3).toInt());
    }

    int writers = 30, rounds = 15, inARow = 10;
    QString base;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--writers"))
            writers = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--rounds"))
            rounds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--in-a-row"))
            inARow = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--folder"))
            base = args[i + 1];
    }
    QTemporaryDir dir(base.isEmpty() ? QDir::tempPath() + QStringLiteral("/pikazan-lock-XXXXXX")
                                     : base + QStringLiteral("/pikazan-lock-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "lock-contention: cannot make a classroom folder\n");
        return 1;
    }
    const QString folder = dir.path();
    std::printf("classroom folder %s\n", qPrintable(folder));
    QDir(folder).mkpath(QStringLiteral("user"));
    {
        const Classroom::Using room{Classroom(folder)};
        for (int i = 0; i < writers; ++i)
            if (!userstore::createUser(pupil(i), QStringLiteral("pw")).isEmpty())
                return 1;
    }

    Tally together;
    for (int r = 0; r < rounds; ++r)
        runWriters(folder, writers, 1, together);
    report("together, round after round", writers, rounds, 1, folder, 0, together);

    const int before = recordedLines(folder, writers);
    Tally row;
    runWriters(folder, writers, inARow, row);
    report("in a row", writers, 1, inARow, folder, before, row);
    return together.busy + together.errors + together.lost + row.busy + row.errors + row.lost == 0 ? 0 : 3;
}
