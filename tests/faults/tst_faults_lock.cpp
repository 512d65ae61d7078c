// The classroom folder's lock (user/.pikazan.lock) as a room of accounts meets it: whatever lies
// at its path is reported at once, naming it, and never waited on; a lock left behind by one
// account is taken over by another, while another computer's lock that is still young by the
// share's clock is waited for. Each program is a helper process of its own, so that a hang shows
// as a missing answer instead of hanging the suite.
#include "faultsupport.h"
#include "support/testmain.h"

#include "base/errors.h"
#include "platform/textfile.h"
#include "users/userstore.h"

#include <QDateTime>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <vector>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using faults::Helper;
using faults::readBytes;

namespace {
const QString kLock = QStringLiteral("user/.pikazan.lock");
const QByteArray kLine = "２級,2024/1/02,2,8,不合格";

// The classroom's group, and two pupils' accounts in it (numbers no real account uses).
constexpr gid_t kRoom = 64000;
const QString kAccountA = QStringLiteral("64001:64000");
const QString kAccountB = QStringLiteral("64002:64000");

QString errorLine(const QString &reason) { return QStringLiteral("error ") + pz::IoError(kLock, reason).text(); }

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace

class TestFolderLock : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString &rel) const { return dir.filePath(rel); }
    QByteArray native(const QString &rel) const { return QFile::encodeName(path(rel)); }

private slots:
    void init();
    void damageAtTheLockPath_data();
    void damageAtTheLockPath();
    void lockOfAnotherAccount_data();
    void lockOfAnotherAccount();
    void pupilsThingAtTheLockFolder_data();
    void pupilsThingAtTheLockFolder();
    void classFinishingTogether();
    void killedTemporaries();
};

void TestFolderLock::init()
{
    QDir(path(QStringLiteral("user"))).removeRecursively();
    QDir(path(QStringLiteral("outside"))).removeRecursively();
    for (const QString &e : entries(dir.path()).filter(QStringLiteral(".pikazan.lock")))
        QVERIFY(QFileInfo(path(e)).isDir() ? QDir(path(e)).removeRecursively() : QFile::remove(path(e)));
    QVERIFY(QDir().mkpath(path(QStringLiteral("user"))));
    faults::writeBytes(path(QStringLiteral("user/master.psw")), "teacher\r\n");
    faults::writeBytes(path(QStringLiteral("user/taro.dat")), faults::headerBytes());
    faults::writeBytes(path(QStringLiteral("user/taro.psw")), "pw\r\n");
}

void TestFolderLock::damageAtTheLockPath_data()
{
    QTest::addColumn<QString>("thing");
    QTest::addColumn<QString>("kind"); // as the note names it
    QTest::newRow("a folder") << "folder" << "フォルダ";
    QTest::newRow("a dangling link") << "dangling" << "リンク";
    QTest::newRow("a link to a file") << "link" << "リンク";
    QTest::newRow("a FIFO") << "fifo" << "ファイルでないもの";
}

void TestFolderLock::damageAtTheLockPath()
{
    QFETCH(QString, thing);
    QFETCH(QString, kind);
    QVERIFY(QDir().mkpath(path(QStringLiteral("outside"))));
    faults::writeBytes(path(QStringLiteral("outside/notes.txt")), "keep\r\n");
    if (thing == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path(kLock)));
        faults::writeBytes(path(kLock + QStringLiteral("/x")), "inside\r\n");
    } else if (thing == QLatin1String("dangling")) {
        QVERIFY(QFile::link(QStringLiteral("../outside/none"), path(kLock)));
    } else if (thing == QLatin1String("link")) {
        QVERIFY(QFile::link(QStringLiteral("../outside/notes.txt"), path(kLock)));
    } else {
        QCOMPARE(::mkfifo(native(kLock).constData(), 0666), 0);
    }
    struct stat before {};
    QCOMPARE(::lstat(native(kLock).constData(), &before), 0);

    // A drill's line, then a registration: both go on, the first moving the thing aside.
    Helper append(dir.path(), {"append", "taro", QString::fromUtf8(kLine)});
    QCOMPARE(append.line(5000), QStringLiteral("ok"));
    QVERIFY(append.finished(2000));
    Helper registration(dir.path(), {"register", "hanako", "pw"});
    QCOMPARE(registration.line(5000), QStringLiteral("ok"));
    QVERIFY(registration.finished(2000));

    QCOMPARE(readBytes(path(QStringLiteral("user/taro.dat"))), faults::headerBytes() + textfile::encode(QString::fromUtf8(kLine)) + "\r\n");
    QVERIFY(QFileInfo::exists(path(QStringLiteral("user/hanako.dat"))));
    // What lay there is kept, whole, under a name with its owner's; nothing it led to was touched.
    const QString owner = QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    const QStringList aside = entries(path(QStringLiteral("user"))).filter(QStringLiteral(".pikazan.lock.aside-") + owner + QLatin1Char('-'));
    QCOMPARE(aside.size(), 1);
    QVERIFY(!QFileInfo::exists(path(kLock)) && !QFileInfo(path(kLock)).isSymLink());
    struct stat after {};
    QCOMPARE(::lstat(native(QStringLiteral("user/") + aside[0]).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(readBytes(path(QStringLiteral("outside/notes.txt"))), QByteArray("keep\r\n"));
    if (thing == QLatin1String("folder"))
        QCOMPARE(readBytes(path(QStringLiteral("user/") + aside[0] + QStringLiteral("/x"))), QByteArray("inside\r\n"));
    // Said once, by the program that moved it, naming what it was and where it went.
    const QString said = append.errors() + registration.errors();
    QCOMPARE(said.count(aside[0]), 1);
    QVERIFY2(said.contains(kind + QStringLiteral("（") + owner + QStringLiteral(" のもの）")), qPrintable(said));
}

void TestFolderLock::lockOfAnotherAccount_data()
{
    QTest::addColumn<QString>("holder");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QString>("answer"); // "ok", or the reason of the error naming the lock
    QTest::newRow("crashed program of account A") << "crashed" << 02770 << "ok";
    QTest::newRow("another computer's, left an hour ago") << "old" << 02770 << "ok";
    QTest::newRow("another computer's, stamped an hour ahead") << "ahead" << 02770 << pz::reason::busy();
    // Nobody but A (or the teacher) may remove A's files in a sticky user folder: the lock lives in a
    // folder of its own there, where B takes it over all the same.
    QTest::newRow("crashed program of account A, sticky folder") << "crashed" << 03770 << "ok";
    // This computer's, naming a pid that runs again, but as another program (this test).
    QTest::newRow("a live pid that is no longer the holder") << "reused" << 02770 << "ok";
    // A holds it while B's pace line comes, with the child's wait: B gives up after its second,
    // long before A lets go.
    QTest::newRow("held by A: B's pace line gives up") << "holding" << 02770 << pz::reason::busy();
    // A pupil's own folder, closed to the others, where the lock belongs: moved aside, B goes on.
    QTest::newRow("account A's closed folder at the lock's name, sticky folder") << "folder" << 03770 << "ok";
}

void TestFolderLock::lockOfAnotherAccount()
{
    QFETCH(QString, holder);
    QFETCH(int, folderMode);
    QFETCH(QString, answer);
    if (!faults::isRoot())
        QSKIP("runs pupils' accounts: needs root");
    const QString lockFile = folderMode & S_ISVTX ? QStringLiteral("user/.lock/.pikazan.lock") : kLock;
    // A folder the room's group may write, and nobody else may enter; the lock that A leaves is
    // A's, which B may not write.
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    QCOMPARE(::chown(native(QStringLiteral("user")).constData(), 0, kRoom), 0);
    QCOMPARE(::chmod(native(QStringLiteral("user")).constData(), mode_t(folderMode)), 0);
    QCOMPARE(::chown(native(QStringLiteral("user/taro.dat")).constData(), 0, kRoom), 0);
    QCOMPARE(::chmod(native(QStringLiteral("user/taro.dat")).constData(), 0660), 0);

    const bool holding = holder == QLatin1String("holding");
    std::unique_ptr<Helper> a;
    if (holder == QLatin1String("crashed") || holding) {
        a = std::make_unique<Helper>(dir.path(), QStringList{"--pause-at", "appending", "append", "taro", "１級,2024/1/01,8,2,合格"}, kAccountA);
        QCOMPARE(a->line(), QStringLiteral("at appending"));
        if (holder == QLatin1String("crashed")) {
            ::kill(pid_t(a->pid()), SIGKILL);
            QVERIFY(a->finished());
        }
    } else if (holder == QLatin1String("folder")) {
        QCOMPARE(::mkdir(native(QStringLiteral("user/.lock")).constData(), 0), 0);
        QCOMPARE(::chown(native(QStringLiteral("user/.lock")).constData(), 0, kRoom), 0);
        QCOMPARE(::chmod(native(QStringLiteral("user/.lock")).constData(), 02770), 0);
        QCOMPARE(::mkdir(native(lockFile).constData(), 0700), 0);
        faults::writeBytes(path(lockFile + QStringLiteral("/x")), "x");
        QCOMPARE(::chown(native(lockFile + QStringLiteral("/x")).constData(), 64001, kRoom), 0);
        QCOMPARE(::chown(native(lockFile).constData(), 64001, kRoom), 0);
    } else {
        const QByteArray here = QByteArray::number(::getpid()) + "\npikazan\n" + QSysInfo::machineHostName().toUtf8() + '\n'
                              + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n';
        faults::writeBytes(path(lockFile), holder == QLatin1String("reused") ? here : QByteArray("4242\npikazan\nanother-pc\n"));
        QCOMPARE(::chown(native(lockFile).constData(), 64001, kRoom), 0);
        QCOMPARE(::chmod(native(lockFile).constData(), 0644), 0);
        const timespec stamp = {::time(nullptr) + (holder == QLatin1String("old") ? -3600 : 3600), 0};
        const timespec times[2] = {stamp, stamp};
        QCOMPARE(::utimensat(AT_FDCWD, native(lockFile).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    struct stat left {};
    QCOMPARE(::lstat(native(lockFile).constData(), &left), 0);
    QCOMPARE(left.st_uid, uid_t(64001));

    Helper b(dir.path(),
             holding ? QStringList{"pace", "taro", "p1"} : QStringList{"--lock-wait", "1500", "append", "taro", QString::fromUtf8(kLine)},
             kAccountB);
    const QString said = b.line(10000);
    QVERIFY(b.finished());
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("user/taro.pace"))));
    if (answer == QLatin1String("ok")) {
        QCOMPARE(said, answer);
        QCOMPARE(readBytes(path(QStringLiteral("user/taro.dat"))), faults::headerBytes() + textfile::encode(QString::fromUtf8(kLine)) + "\r\n");
        QVERIFY(!QFileInfo::exists(path(lockFile)));
    } else {
        QCOMPARE(said, errorLine(answer));
        QCOMPARE(readBytes(path(QStringLiteral("user/taro.dat"))), faults::headerBytes());
        struct stat still {};
        QCOMPARE(::lstat(native(lockFile).constData(), &still), 0);
        QCOMPARE(still.st_ino, left.st_ino);
    }
    if (holding) { // A lets go and writes its line
        a->resume();
        QCOMPARE(a->line(), QStringLiteral("ok"));
    }
    // B leaves nothing of its own behind.
    QCOMPARE(entries(path(QStringLiteral("user"))).filter(QStringLiteral(".pikazan.lock.")), QStringList());
    if (folderMode & S_ISVTX) {
        const QStringList inLockFolder = entries(path(QStringLiteral("user/.lock")));
        if (holder == QLatin1String("folder")) {
            QCOMPARE(inLockFolder.size(), 1);
            QVERIFY2(inLockFolder[0].startsWith(QStringLiteral(".pikazan.lock.aside-uid64001-")), qPrintable(inLockFolder[0]));
            QCOMPARE(readBytes(path(QStringLiteral("user/.lock/") + inLockFolder[0] + QStringLiteral("/x"))), QByteArray("x"));
        } else {
            QCOMPARE(inLockFolder, QStringList());
        }
        struct stat own {};
        QCOMPARE(::lstat(native(QStringLiteral("user/.lock")).constData(), &own), 0);
        QCOMPARE(own.st_mode & 07777, mode_t(02770));
    }
}

void TestFolderLock::pupilsThingAtTheLockFolder_data()
{
    QTest::addColumn<QString>("thing");     // what account A leaves at user/.lock
    QTest::addColumn<QString>("kind");      // as the note names it
    QTest::addColumn<bool>("roomLockToo");  // A's closed folder at the classroom's lock name as well
    QTest::newRow("a file") << "file" << "ファイル" << false;
    QTest::newRow("a folder closed to the others") << "closed" << "フォルダ" << false;
    QTest::newRow("a sticky folder holding A's old lock") << "sticky" << "フォルダ" << false;
    QTest::newRow("a link to a folder anyone may write") << "link" << "リンク" << false;
    QTest::newRow("a file, and a folder at the classroom's lock name") << "file" << "ファイル" << true;
}

void TestFolderLock::pupilsThingAtTheLockFolder()
{
    // A room laid out as the set-up does, shared by the group: a pupil's account A puts its own
    // thing where the sticky user folder's lock folder belongs, before the set-up made one (or
    // after the teacher removed it). Another account B must still land its line, under a lock that
    // all accounts share (the classroom folder's), and say what is in the way and whose it is.
    QFETCH(QString, thing);
    QFETCH(QString, kind);
    QFETCH(bool, roomLockToo);
    if (!faults::isRoot())
        QSKIP("runs pupils' accounts: needs root");
    QVERIFY(QDir().mkpath(path(QStringLiteral("outside"))));
    QCOMPARE(::chmod(native(QStringLiteral("outside")).constData(), 0777), 0);
    QCOMPARE(::chown(QFile::encodeName(dir.path()).constData(), 0, kRoom), 0);
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 02770), 0);
    QCOMPARE(::chown(native(QStringLiteral("user")).constData(), 0, kRoom), 0);
    QCOMPARE(::chmod(native(QStringLiteral("user")).constData(), 03770), 0);
    QCOMPARE(::chown(native(QStringLiteral("user/taro.dat")).constData(), 0, kRoom), 0);
    QCOMPARE(::chmod(native(QStringLiteral("user/taro.dat")).constData(), 0660), 0);
    const QString own = QStringLiteral("user/.lock");
    if (thing == QLatin1String("file")) {
        faults::writeBytes(path(own), "mine\n");
        QCOMPARE(::chmod(native(own).constData(), 0600), 0);
    } else if (thing == QLatin1String("closed")) {
        QCOMPARE(::mkdir(native(own).constData(), 0700), 0);
    } else if (thing == QLatin1String("sticky")) {
        QCOMPARE(::mkdir(native(own).constData(), 0), 0);
        QCOMPARE(::chmod(native(own).constData(), 03770), 0);
        QCOMPARE(::chown(native(own).constData(), 64001, kRoom), 0);
        faults::writeBytes(path(own + QStringLiteral("/.pikazan.lock")), "4242\npikazan\nanother-pc\n");
        QCOMPARE(::chown(native(own + QStringLiteral("/.pikazan.lock")).constData(), 64001, kRoom), 0);
        const timespec old = {::time(nullptr) - 3600, 0};
        const timespec times[2] = {old, old};
        QCOMPARE(::utimensat(AT_FDCWD, native(own + QStringLiteral("/.pikazan.lock")).constData(), times, 0), 0);
    } else {
        QCOMPARE(::symlink("../outside", native(own).constData()), 0);
    }
    QCOMPARE(::lchown(native(own).constData(), 64001, kRoom), 0);
    if (roomLockToo) {
        QCOMPARE(::mkdir(native(QStringLiteral(".pikazan.lock")).constData(), 0700), 0);
        QCOMPARE(::chown(native(QStringLiteral(".pikazan.lock")).constData(), 64001, kRoom), 0);
    }
    struct stat before {};
    QCOMPARE(::lstat(native(own).constData(), &before), 0);

    // B holds the lock while it appends: it is the classroom folder's, B's own.
    Helper b(dir.path(), {"--pause-at", "appending", "append", "taro", QString::fromUtf8(kLine)}, kAccountB);
    QCOMPARE(b.line(), QStringLiteral("at appending"));
    struct stat lock {};
    QCOMPARE(::lstat(native(QStringLiteral(".pikazan.lock")).constData(), &lock), 0);
    QVERIFY(S_ISREG(lock.st_mode));
    QCOMPARE(lock.st_uid, uid_t(64002));
    b.resume();
    QCOMPARE(b.line(), QStringLiteral("ok"));
    QVERIFY(b.finished());
    QCOMPARE(readBytes(path(QStringLiteral("user/taro.dat"))), faults::headerBytes() + textfile::encode(QString::fromUtf8(kLine)) + "\r\n");

    // A's thing stays as it was; nothing went into the folder a link leads to; the lock is gone.
    struct stat after {};
    QCOMPARE(::lstat(native(own).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(entries(path(QStringLiteral("outside"))), QStringList());
    QVERIFY(!QFileInfo::exists(path(QStringLiteral(".pikazan.lock"))));
    const QStringList left = entries(dir.path()).filter(QStringLiteral(".pikazan.lock"));
    if (roomLockToo) {
        QCOMPARE(left.size(), 1);
        QVERIFY2(left[0].startsWith(QStringLiteral(".pikazan.lock.aside-uid64001-")), qPrintable(left[0]));
    } else {
        QCOMPARE(left, QStringList());
    }
    const QString said = b.errors();
    QVERIFY2(said.contains(QStringLiteral("user/.lock は uid64001 の") + kind
                           + QStringLiteral("で、教室のロックには使えません（先生のアカウントか root のものでないと、ほかのアカウントの保存を止められるため）。"
                                            "ロックは教室フォルダの .pikazan.lock でとります。user/.lock は先生のアカウントか root で消してください。")),
             qPrintable(said));
}

void TestFolderLock::classFinishingTogether()
{
    // Thirty pupils' drills end at the same moment: thirty lines, none refused as busy.
    constexpr int kPupils = 30;
    const auto pupil = [](int i) { return QStringLiteral("pupil%1").arg(i); };
    for (int i = 0; i < kPupils; ++i)
        faults::writeBytes(path(QStringLiteral("user/") + pupil(i) + QStringLiteral(".dat")), faults::headerBytes());
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 2000);
    std::vector<std::unique_ptr<Helper>> pupils;
    for (int i = 0; i < kPupils; ++i)
        pupils.push_back(std::make_unique<Helper>(dir.path(), QStringList{"--start-at", start, "append", pupil(i), QString::fromUtf8(kLine)}));
    for (int i = 0; i < kPupils; ++i) {
        QCOMPARE(pupils[i]->line(30000), QStringLiteral("ok"));
        QCOMPARE(readBytes(path(QStringLiteral("user/") + pupil(i) + QStringLiteral(".dat"))),
                 faults::headerBytes() + textfile::encode(QString::fromUtf8(kLine)) + "\r\n");
    }
}

// Temporaries of programs killed on their way to the lock: the next program here removes those
// of this computer (same boot) whose program is gone, and leaves every other one alone.
void TestFolderLock::killedTemporaries()
{
    QProcess gone;
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForStarted());
    const QByteArray dead = QByteArray::number(gone.processId());
    QVERIFY(gone.waitForFinished());
    const QByteArray here = QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n';
    const QByteArray boot = QSysInfo::bootUniqueId() + '\n';
    const QList<std::pair<const char *, QByteArray>> left{
        {".pikazan.lock.dead01", dead + "\ntrue\n" + here + boot},
        {".pikazan.lock.dead02.stale", dead + "\ntrue\n" + here + boot},
        {".pikazan.lock.live01", QByteArray::number(::getpid()) + "\n\n" + here + boot},
        {".pikazan.lock.away01", dead + "\ntrue\nanother-pc\n\n\n"},
        {".pikazan.lock.boot01", dead + "\ntrue\n" + here + "an-earlier-boot\n"},
        {".pikazan.lock.empty1", ""},
    };
    for (const auto &[name, stamp] : left)
        faults::writeBytes(path(QStringLiteral("user/") + QLatin1String(name)), stamp);
    Helper append(dir.path(), {"append", "taro", QString::fromUtf8(kLine)});
    QCOMPARE(append.line(), QStringLiteral("ok"));
    QVERIFY(append.finished());
    QCOMPARE(entries(path(QStringLiteral("user"))).filter(QStringLiteral(".pikazan.lock.")),
             (QStringList{".pikazan.lock.away01", ".pikazan.lock.boot01", ".pikazan.lock.empty1", ".pikazan.lock.live01"}));
}

PZ_GUI_TEST_MAIN(TestFolderLock)
#include "tst_faults_lock.moc"
