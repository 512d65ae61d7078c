// Two programs on one classroom folder, as several computers sharing it over the network are. The
// order of their steps is forced: one program is held at a named step of the user store while the
// other runs, instead of leaving the interleaving to chance.
#include "faultsupport.h"
#include "support/testmain.h"

#include "platform/textfile.h"
#include "users/userstore.h"

#include <QTemporaryDir>

#include <csignal>

using faults::Helper;
using faults::readBytes;

class TestTwoPrograms : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString &rel) const { return dir.filePath(rel); }

private slots:
    void init();
    void registrationsOfOneNameTakeTurns();
    void appendsTakeTurns();
    void crashedHolderDoesNotBlock();
};

void TestTwoPrograms::init()
{
    QDir(path(QStringLiteral("user"))).removeRecursively();
    QVERIFY(QDir().mkpath(path(QStringLiteral("user"))));
    faults::writeBytes(path(QStringLiteral("user/master.psw")), "teacher\r\n");
}

void TestTwoPrograms::registrationsOfOneNameTakeTurns()
{
    // A found "hanako" free and is held before it creates anything. B, started now, checks the
    // name too: without the folder's lock it found the name free as well, then met A's file and
    // deleted it in its clean-up.
    Helper a(dir.path(), {"--pause-at", "registering", "--lock-wait", "20000", "register", "hanako", "pw-of-a"});
    QCOMPARE(a.line(), QStringLiteral("at registering"));
    Helper b(dir.path(), {"--pause-at", "registering", "--lock-wait", "20000", "register", "hanako", "pw-of-b"});
    // B must wait for A's lock; 1.5 s without B reaching the step shows it waits.
    const QString early = b.line(1500);
    QVERIFY2(early.isEmpty(), "the second program checked the name while the first was registering it");
    a.resume();
    QCOMPARE(a.line(), QStringLiteral("ok"));
    QVERIFY(a.finished());
    // Now B checks the name under the lock and finds it taken.
    QCOMPARE(b.line(), QStringLiteral("refused 「hanako」というなまえはもうつかわれています。\nほかのなまえにしてください"));
    QVERIFY(b.finished());
    QCOMPARE(readBytes(path(QStringLiteral("user/hanako.dat"))), faults::headerBytes());
    QCOMPARE(readBytes(path(QStringLiteral("user/hanako.psw"))), QByteArray("pw-of-a\r\n"));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("user/.pikazan.lock"))));
}

void TestTwoPrograms::appendsTakeTurns()
{
    faults::writeBytes(path(QStringLiteral("user/taro.dat")), faults::headerBytes());
    faults::writeBytes(path(QStringLiteral("user/taro.psw")), "pw\r\n");
    // A holds the lock with the history open; B's append waits for it, and lands after A's line.
    Helper a(dir.path(), {"--pause-at", "appending", "--lock-wait", "20000", "append", "taro", "１級,2024/1/01,8,2,合格"});
    QCOMPARE(a.line(), QStringLiteral("at appending"));
    Helper b(dir.path(), {"--lock-wait", "20000", "append", "taro", "２級,2024/1/02,2,8,不合格"});
    QVERIFY2(!b.finished(1500), "the second program appended while the first held the folder");
    a.resume();
    QCOMPARE(a.line(), QStringLiteral("ok"));
    QCOMPARE(b.line(), QStringLiteral("ok"));
    QVERIFY(a.finished() && b.finished());
    const QByteArray expected = faults::headerBytes() + textfile::encode(QStringLiteral("１級,2024/1/01,8,2,合格")) + "\r\n"
                              + textfile::encode(QStringLiteral("２級,2024/1/02,2,8,不合格")) + "\r\n";
    QCOMPARE(readBytes(path(QStringLiteral("user/taro.dat"))), expected);
}

void TestTwoPrograms::crashedHolderDoesNotBlock()
{
    faults::writeBytes(path(QStringLiteral("user/taro.dat")), faults::headerBytes());
    // A dies holding the lock: its lock file stays, naming a process that no longer runs.
    Helper a(dir.path(), {"--pause-at", "appending", "append", "taro", "１級,2024/1/01,8,2,合格"});
    QCOMPARE(a.line(), QStringLiteral("at appending"));
    ::kill(pid_t(a.pid()), SIGKILL);
    QVERIFY(a.finished());
    QVERIFY(QFileInfo::exists(path(QStringLiteral("user/.pikazan.lock"))));
    // B, with the usual wait, takes the lock over at once.
    Helper b(dir.path(), {"append", "taro", "２級,2024/1/02,2,8,不合格"});
    QCOMPARE(b.line(), QStringLiteral("ok"));
    QVERIFY(b.finished());
    QCOMPARE(readBytes(path(QStringLiteral("user/taro.dat"))),
             faults::headerBytes() + textfile::encode(QStringLiteral("２級,2024/1/02,2,8,不合格")) + "\r\n");
}

PZ_GUI_TEST_MAIN(TestTwoPrograms)
#include "tst_faults_twoprocs.moc"
