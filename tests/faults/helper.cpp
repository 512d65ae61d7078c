// faults_helper: one operation of the user store or the settings in a process of its own, in the
// classroom folder named by --classroom. The fault tests start it to put two programs on one
// folder, to run as another user, and to keep an operation that could hang away from the test.
//
//   faults_helper --classroom DIR [--pause-at STEP] [--lock-wait MS] [--memory-limit MB] [--file-size-limit BYTES]
//                 [--start-at EPOCH_MS] COMMAND ARGS...
//   commands: register NAME PASSWORD | append NAME LINE | drill NAME LINE | pace NAME LINE | flush-pending
//             | delete NAME | read-password NAME | read-history NAME | list | read-settings
//             | grade CODE | save-settings | hang-on-term
// Prints one result line ("ok ...", "refused <text>", "error <text>", newlines as "\n") on
// standard output; with --pause-at it prints "at STEP" when the store reaches STEP and waits for
// a line on standard input before it goes on; with --start-at it waits for that moment (ms since
// the epoch), so that many helpers act together. Exit code 0 for ok and refused, 2 for an error.
#include "base/classroom.h"
#include "base/errors.h"
#include "platform/signals.h"
#include "platform/textfile.h"
#include "settings/rand.h"
#include "users/pending.h"
#include "users/userstore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {
void say(const QString &line)
{
    QString one = line;
    one.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    std::fputs(one.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int run(const QStringList &a)
{
    const QString cmd = a.value(0);
    if (cmd == QLatin1String("register")) {
        const QString refusal = userstore::createUser(a.value(1), a.value(2));
        say(refusal.isEmpty() ? QStringLiteral("ok") : QStringLiteral("refused ") + refusal);
    } else if (cmd == QLatin1String("append")) {
        userstore::appendDrill(a.value(1), a.value(2));
        say(QStringLiteral("ok"));
    } else if (cmd == QLatin1String("drill")) {
        // As the result sheet writes a finished drill: kept aside when the append fails, and the
        // lines kept earlier follow when it succeeds.
        if (const auto failed = pending::appendOrKeep(a.value(1), a.value(2), [&] { userstore::appendDrill(a.value(1), a.value(2)); }))
            say((failed->kept ? QStringLiteral("kept ") : QStringLiteral("error ")) + failed->error.text());
        else
            say(QStringLiteral("ok ") + pending::flushHere());
    } else if (cmd == QLatin1String("pace")) {
        userstore::appendPace(a.value(1), a.value(2));
        say(QStringLiteral("ok"));
    } else if (cmd == QLatin1String("flush-pending")) {
        say(QStringLiteral("ok ") + pending::flushHere()); // as the main menu does at a start
    } else if (cmd == QLatin1String("delete")) {
        const userstore::DeleteResult result = userstore::deleteUser(a.value(1));
        if (!result.refusal.isEmpty())
            say(QStringLiteral("refused ") + result.refusal);
        else
            say(result.error ? QStringLiteral("error ") + result.error->text() : QStringLiteral("ok"));
    } else if (cmd == QLatin1String("read-password")) {
        say(QStringLiteral("ok ") + userstore::readPassword(a.value(1)));
    } else if (cmd == QLatin1String("read-history")) {
        say(QStringLiteral("ok ") + userstore::readHistory(a.value(1)).join(QLatin1Char('|')));
    } else if (cmd == QLatin1String("list")) {
        say(QStringLiteral("ok ") + userstore::listUsers().join(QLatin1Char('|')));
    } else if (cmd == QLatin1String("read-settings")) {
        say(QStringLiteral("ok ") + ReadSettingsLines().join(QLatin1Char('|')));
    } else if (cmd == QLatin1String("grade")) {
        const int code = a.value(1).toInt();
        const qint32 digits = ReadGradeDigits(code);
        const qint32 count = ReadGradeCount(code);
        const double seconds = ReadGradeSeconds(code);
        say(QStringLiteral("ok %1 %2 %3").arg(digits).arg(count).arg(seconds));
    } else if (cmd == QLatin1String("save-settings")) {
        textfile::rewrite(settings::settingsPath(), settings::defaultSettingsLines());
        say(QStringLiteral("ok"));
    } else {
        say(QStringLiteral("error unknown command ") + cmd);
        return 2;
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    pz::setErrorSink([](const QString &text) { say(QStringLiteral("error ") + text); });
    QStringList args = app.arguments().mid(1);
    QString pauseAt;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString opt = args.takeFirst();
        const QString value = args.isEmpty() ? QString() : args.takeFirst();
        if (opt == QLatin1String("--classroom")) {
            Classroom::use(Classroom(QFileInfo(value).absoluteFilePath()));
        } else if (opt == QLatin1String("--pause-at")) {
            pauseAt = value;
        } else if (opt == QLatin1String("--lock-wait")) {
            folderlock::testing::setLockTiming(value.toInt(), 15000);
        } else if (opt == QLatin1String("--start-at")) {
            const qint64 wait = value.toLongLong() - QDateTime::currentMSecsSinceEpoch();
            if (wait > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        } else if (opt == QLatin1String("--memory-limit")) {
            // A reader that would read for ever runs out of this instead of the machine's memory.
            const rlim_t bytes = rlim_t(value.toLongLong()) << 20;
            const rlimit l{bytes, bytes};
            setrlimit(RLIMIT_AS, &l);
        } else if (opt == QLatin1String("--file-size-limit")) {
            // As under "ulimit -f": no file this process writes grows past it; the signal is
            // ignored as the program ignores it, so that the write reports the limit.
            const rlim_t bytes = rlim_t(value.toLongLong());
            const rlimit l{bytes, bytes};
            setrlimit(RLIMIT_FSIZE, &l);
            ::signal(SIGXFSZ, SIG_IGN);
        }
    }
    if (!pauseAt.isEmpty()) {
        userstore::testing::setHook([pauseAt](const char *step) {
            if (pauseAt != QLatin1String(step))
                return;
            say(QStringLiteral("at ") + pauseAt);
            std::string line;
            std::getline(std::cin, line);
        });
    }

    if (args.value(0) == QLatin1String("hang-on-term")) {
        // A close that never finishes: the first SIGTERM starts it, a second must still end us.
        unixsignals::onTermination([] {
            say(QStringLiteral("closing"));
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        });
        say(QStringLiteral("ready"));
        return app.exec();
    }

    int rc = 2;
    if (!pz::guard([&] { rc = run(args); }))
        return 2;
    return rc;
}
