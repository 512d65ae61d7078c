// Termination signals once the program's own close is under way. The first SIGTERM, SIGINT or
// SIGHUP ends the program through its close (which puts the display back); if that close gets
// stuck, a second signal must still end the program instead of being ignored for good.
#include "faultsupport.h"
#include "support/testmain.h"

#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>

using faults::Helper;

class TestSignals : public QObject {
    Q_OBJECT
private slots:
    void secondSignalEndsAStuckClose_data();
    void secondSignalEndsAStuckClose();
    void oneSignalStartsTheCloseOnly();
};

void TestSignals::secondSignalEndsAStuckClose_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::newRow("TERM, TERM") << int(SIGTERM) << int(SIGTERM);
    QTest::newRow("HUP, TERM") << int(SIGHUP) << int(SIGTERM);
    QTest::newRow("INT, INT") << int(SIGINT) << int(SIGINT);
}

void TestSignals::secondSignalEndsAStuckClose()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QTemporaryDir dir;
    Helper h(dir.path(), {"hang-on-term"});
    QCOMPARE(h.line(), QStringLiteral("ready"));
    ::kill(pid_t(h.pid()), first);
    QCOMPARE(h.line(), QStringLiteral("closing")); // the close has started and hangs
    ::kill(pid_t(h.pid()), second);
    QVERIFY2(h.finished(5000), "a second signal was ignored: the program hangs for good");
    QCOMPARE(h.process().exitStatus(), QProcess::CrashExit); // ended by the signal itself
}

void TestSignals::oneSignalStartsTheCloseOnly()
{
    // One signal is the ordinary way out: it must not end the program before its close has run.
    QTemporaryDir dir;
    Helper h(dir.path(), {"hang-on-term"});
    QCOMPARE(h.line(), QStringLiteral("ready"));
    ::kill(pid_t(h.pid()), SIGTERM);
    QCOMPARE(h.line(), QStringLiteral("closing"));
    QVERIFY(h.running());
}

PZ_GUI_TEST_MAIN(TestSignals)
#include "tst_faults_signals.moc"
