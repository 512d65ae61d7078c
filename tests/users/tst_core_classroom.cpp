// The administrator's classroom steps without a display: what a setup lays out (modes, group,
// setgid) in private and shared folders, what it never overwrites and what it refuses; and the
// replacement of the master password, all or nothing.
#include "base/errors.h"
#include "users/classroom.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <utility>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kTemplate = QStringLiteral(PZ_ASSETS);

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// Every entry below a folder with its mode and group, and every file's bytes: what "nothing
// changed" compares.
QStringList snapshot(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        const struct stat st = statOf(p);
        out << QStringLiteral("%1 %2 %3 %4").arg(QDir(dir).relativeFilePath(p)).arg(st.st_mode, 0, 8).arg(st.st_gid)
                   .arg(QString::fromLatin1(bytesOf(p).toHex()));
    }
    out.sort();
    return out;
}

// A group this process may hand files to other than its own: any for root, else a supplementary one.
gid_t otherGroup()
{
    if (::geteuid() == 0)
        return ::getegid() == 4242 ? 4243 : 4242;
    gid_t groups[64];
    const int n = ::getgroups(64, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] != ::getegid())
            return groups[i];
    return ::getegid();
}

QString named(const QString &refusal, const QString &dir)
{
    return refusal.contains(QLatin1String("%1")) ? refusal.arg(dir) : refusal;
}

// Lets the next writes past a few bytes fail (EFBIG), as a full disk would, even for root.
struct FileSizeLimit {
    rlimit saved {};
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit r = saved;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
};
} // namespace

class TestClassroom : public QObject {
    Q_OBJECT
private slots:
    void setup_data();
    void setup();
    void setMasterPassword_data();
    void setMasterPassword();
    void secondSetupWinsWhileTheFirstWaits();
};

void TestClassroom::setup_data()
{
    QTest::addColumn<int>("dirMode");        // the classroom folder's mode, made by IT
    QTest::addColumn<bool>("otherGroup");    // IT gave it a group other than this account's
    QTest::addColumn<int>("umask");
    QTest::addColumn<QStringList>("before"); // "path=content" already in the folder
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("sizeLimit");      // > 0: writes past this many bytes fail
    QTest::addColumn<QString>("refusal");    // part of the refusal, or "" for a setup that succeeds
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("userMode");   // user/
    QTest::addColumn<int>("masterMode"); // user/master.psw
    QTest::addColumn<QString>("teacher"); // the account named to own user/ and the master password

    const QStringList none;
    QTest::newRow("private folder, usual umask") << 0755 << false << 022 << none << "sensei" << 0 << "" << 0755 << 0644 << 0755 << 0600 << "";
    // A user/ the umask leaves group-writable is shared by the program's rule: the group reads it.
    QTest::newRow("private folder, lax umask") << 0755 << false << 002 << none << "sensei" << 0 << "" << 0775 << 0664 << 0775 << 0640 << "";
    QTest::newRow("private folder, strict umask") << 0700 << false << 077 << none << "sensei" << 0 << "" << 0700 << 0600 << 0700 << 0600 << "";
    QTest::newRow("group-writable: group and setgid handed on") << 0775 << true << 022 << none << "sensei" << 0 << "" << 02775 << 0664 << 03775 << 0640 << "";
    QTest::newRow("group-writable, umask 002") << 0775 << true << 002 << none << "sensei" << 0 << "" << 02775 << 0664 << 03775 << 0640 << "";
    // Others shut out of the folder stay shut out of what is made in it, as with every later file.
    QTest::newRow("setgid only, account's umask 077") << 02750 << true << 077 << none << "sensei" << 0 << "" << 02770 << 0660 << 03770 << 0640 << "";
    QTest::newRow("half laid out: the teacher's grades are kept")
        << 0775 << true << 022 << QStringList{QStringLiteral("settei/settei.dat=1\r\n2\r\n3\r\n")} << "sensei" << 0 << "" << 02775 << 0664 << 03775 << 0640 << "";
    QTest::newRow("named teacher's account") << 02770 << true << 022 << none << "sensei" << 0 << "" << 02770 << 0660 << 03770 << 0640 << "nobody";
    QTest::newRow("a teacher's account that does not exist") << 02770 << true << 022 << none << "sensei" << 0
                                                              << "先生のアカウント pz-no-such-account が見つかりません" << 0 << 0 << 0 << 0 << "pz-no-such-account";
    QTest::newRow("a password too long for the box") << 0775 << false << 022 << none << QString(32768, QLatin1Char('a')) << 0
                                                     << "32767文字まで" << 0 << 0 << 0 << 0 << "";
    QTest::newRow("laid out already: refused, naming it")
        << 0775 << false << 022
        << QStringList{QStringLiteral("settei/settei.dat=1\r\n"), QStringLiteral("user/x.dat=h\r\n"), QStringLiteral("wav/a.wav=w")}
        << "sensei" << 0 << "もう用意されています: %1" << 0 << 0 << 0 << 0 << "";
    QTest::newRow("master password set already: never replaced")
        << 0775 << false << 022 << QStringList{QStringLiteral("user/master.psw=old\r\n")} << "sensei" << 0
        << "もうマスターパスワードがあります: %1/user/master.psw" << 0 << 0 << 0 << 0 << "";
    QTest::newRow("empty password") << 0775 << false << 022 << none << "" << 0 << "マスターパスワードが空です" << 0 << 0 << 0 << 0 << "";
    QTest::newRow("password with a line end") << 0775 << false << 022 << none << "a\nb" << 0 << "つかえないもじ" << 0 << 0 << 0 << 0 << "";
    QTest::newRow("password cp932 cannot hold") << 0775 << false << 022 << none << QStringLiteral("pw\U0001F600") << 0
                                                << "つかえないもじ" << 0 << 0 << 0 << 0 << "";
    QTest::newRow("a failed copy takes back what it made, nothing else")
        << 0775 << false << 022 << QStringList{QStringLiteral("settei/mine.txt=keep")} << "sensei" << 1000
        << "wav/a.wav" << 0 << 0 << 0 << 0 << "";
}

void TestClassroom::setup()
{
    QFETCH(int, dirMode);
    QFETCH(bool, otherGroup);
    QFETCH(int, umask);
    QFETCH(QStringList, before);
    QFETCH(QString, password);
    QFETCH(int, sizeLimit);
    QFETCH(QString, refusal);
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    QFETCH(int, userMode);
    QFETCH(int, masterMode);
    QFETCH(QString, teacher);
    if (teacher == QLatin1String("nobody") && ::geteuid() != 0)
        QSKIP("only root hands the folder to another account");

    QTemporaryDir tmp;
    QVERIFY(::chmod(QFile::encodeName(tmp.path()).constData(), 0755) == 0); // for the named account
    const QString dir = tmp.filePath(QStringLiteral("教室 1"));
    QVERIFY(QDir().mkdir(dir));
    for (const QString &entry : before)
        put(dir + QLatin1Char('/') + entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1).toUtf8());
    const gid_t group = otherGroup ? ::otherGroup() : ::getegid();
    if (otherGroup && group == ::getegid())
        QSKIP("this account has no other group to share a folder with");
    QCOMPARE(::chown(QFile::encodeName(dir).constData(), static_cast<uid_t>(-1), group), 0);
    QCOMPARE(::chmod(QFile::encodeName(dir).constData(), mode_t(dirMode)), 0);
    const QStringList was = snapshot(dir);

    const mode_t savedMask = ::umask(mode_t(umask));
    QString got;
    QString thrown;
    {
        std::optional<FileSizeLimit> limit;
        if (sizeLimit > 0)
            limit.emplace(rlim_t(sizeLimit));
        try {
            got = classroom::setup(dir, kTemplate, password, teacher);
        } catch (const pz::IoError &e) {
            thrown = e.text();
        }
    }
    ::umask(savedMask);

    if (!refusal.isEmpty()) {
        QVERIFY2((got + thrown).contains(named(refusal, dir)), qPrintable(got + thrown));
        QCOMPARE(snapshot(dir), was);
        return;
    }
    QVERIFY2(got.isEmpty() && thrown.isEmpty(), qPrintable(got + thrown));
    QCOMPARE(bytesOf(dir + QStringLiteral("/user/master.psw")), (password + QStringLiteral("\r\n")).toUtf8());
    for (const QString &f : classroom::templateFiles()) {
        const QString path = dir + QLatin1Char('/') + f;
        const QString kept = before.filter(f + QLatin1Char('=')).value(0);
        if (!kept.isEmpty()) {
            QCOMPARE(bytesOf(path), kept.section(QLatin1Char('='), 1).toUtf8());
            continue;
        }
        const bool master = f == QLatin1String("user/master.psw");
        if (!master)
            QCOMPARE(bytesOf(path), bytesOf(kTemplate + QLatin1Char('/') + f));
        // In a shared room the sounds are only read: no account of the group may spoil them.
        const bool shared = folderMode & 02000;
        const bool sound = f.startsWith(QLatin1String("wav/"));
        const int mode = master ? masterMode : sound && shared ? (fileMode & ~020) : fileMode;
        QCOMPARE(QString::number(statOf(path).st_mode & 07777, 8), QString::number(mode, 8));
        QCOMPARE(statOf(path).st_gid, group);
    }
    for (const char *folder : {"settei", "user", "wav"}) {
        const QString path = dir + QLatin1Char('/') + QLatin1String(folder);
        if (!before.filter(QLatin1String(folder) + QLatin1Char('/')).isEmpty())
            continue; // not made here: left as it was
        const bool users = QLatin1String(folder) == QLatin1String("user");
        // … and their folder is sticky, so that none of them removes or replaces a sound either.
        const bool stickySounds = QLatin1String(folder) == QLatin1String("wav") && (folderMode & 02000);
        QCOMPARE(QString::number(statOf(path).st_mode & 07777, 8),
                 QString::number(users ? userMode : stickySounds ? (folderMode | 01000) : folderMode, 8));
        QCOMPARE(statOf(path).st_gid, group);
    }
    // user/ and the master password are the teacher's account's; the rest stays whoever made it.
    const uid_t owner = teacher.isEmpty() ? ::geteuid() : uid_t(65534);
    QCOMPARE(statOf(dir + QStringLiteral("/user")).st_uid, owner);
    QCOMPARE(statOf(dir + QStringLiteral("/user/master.psw")).st_uid, owner);
    QCOMPARE(statOf(dir + QStringLiteral("/settei/settei.dat")).st_uid, ::geteuid());
    // A second setup on the same folder is refused and changes nothing.
    const QStringList done = snapshot(dir);
    QVERIFY(classroom::setup(dir, kTemplate, QStringLiteral("other")).contains(dir));
    QCOMPARE(snapshot(dir), done);
}

// Two set-ups of one folder at once: both find it free, the second takes the lock first. The first,
// once it holds the lock, finds the folder laid out, says so and leaves the other's work alone.
void TestClassroom::secondSetupWinsWhileTheFirstWaits()
{
    QTemporaryDir tmp;
    const QString dir = tmp.filePath(QStringLiteral("教室"));
    QVERIFY(QDir().mkdir(dir));
    QString second = QStringLiteral("(not run)");
    bool ran = false;
    classroom::testing::setBeforeLock([&] {
        if (std::exchange(ran, true))
            return;
        second = classroom::setup(dir, kTemplate, QStringLiteral("winner"));
    });
    const auto reset = qScopeGuard([] { classroom::testing::setBeforeLock({}); });
    const QString first = classroom::setup(dir, kTemplate, QStringLiteral("late"));
    QCOMPARE(second, QString());
    QCOMPARE(first, QStringLiteral("この教室フォルダはもう用意されています: %1（マスターパスワードを変えるときは --set-master-password）").arg(dir));
    QCOMPARE(bytesOf(dir + QStringLiteral("/user/master.psw")), QByteArray("winner\r\n"));
    QCOMPARE(bytesOf(dir + QStringLiteral("/settei/settei.dat")), bytesOf(kTemplate + QStringLiteral("/settei/settei.dat")));
}

void TestClassroom::setMasterPassword_data()
{
    QTest::addColumn<int>("userMode");      // the user folder's mode
    QTest::addColumn<bool>("hasUserFolder");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("sizeLimit");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("fileMode");      // the master password file's mode afterwards
    QTest::addColumn<QByteArray>("stored"); // its bytes afterwards

    const QByteArray old = "forgotten\r\n";
    QTest::newRow("private classroom: replaced in cp932, blanks kept, the owner's alone")
        << 0755 << true << "新しい pw " << 0 << "" << 0600 << QByteArray("\x90\x56\x82\xb5\x82\xa2 pw \r\n");
    QTest::newRow("shared user folder: the group can read it, not write it") << 02775 << true << "new" << 0 << "" << 0640 << QByteArray("new\r\n");
    QTest::newRow("sticky shared user folder") << 03770 << true << "new" << 0 << "" << 0640 << QByteArray("new\r\n");
    QTest::newRow("as long as the box takes") << 0755 << true << QString(32767, QLatin1Char('a')) << 0 << "" << 0600
                                              << QByteArray(32767, 'a') + "\r\n";
    QTest::newRow("longer than the box takes") << 0755 << true << QString(32768, QLatin1Char('a')) << 0 << "32767文字まで" << 0 << old;
    QTest::newRow("no user folder") << 0755 << false << "new" << 0 << "user フォルダがありません" << 0 << old;
    QTest::newRow("empty password") << 0755 << true << "" << 0 << "マスターパスワードが空です" << 0 << old;
    QTest::newRow("password with a NUL") << 0755 << true << QStringLiteral("a%1b").arg(QChar(0)) << 0 << "つかえないもじ" << 0 << old;
    QTest::newRow("a write that fails leaves the old password, naming the file")
        << 0755 << true << "a long new master password" << 4 << "%1/user/master.psw" << 0 << old;
}

void TestClassroom::setMasterPassword()
{
    QFETCH(int, userMode);
    QFETCH(bool, hasUserFolder);
    QFETCH(QString, password);
    QFETCH(int, sizeLimit);
    QFETCH(QString, refusal);
    QFETCH(int, fileMode);
    QFETCH(QByteArray, stored);

    QTemporaryDir tmp;
    const QString dir = tmp.path();
    const QString master = dir + QStringLiteral("/user/master.psw");
    const gid_t group = otherGroup();
    if (hasUserFolder) {
        put(master, "forgotten\r\n");
        put(dir + QStringLiteral("/user/taro.dat"), "h\r\n");
        QCOMPARE(::chmod(QFile::encodeName(master).constData(), 0640), 0);
        QCOMPARE(::chown(QFile::encodeName(dir + QStringLiteral("/user")).constData(), static_cast<uid_t>(-1), group), 0);
        QCOMPARE(::chmod(QFile::encodeName(dir + QStringLiteral("/user")).constData(), mode_t(userMode)), 0);
    }
    const QStringList was = snapshot(dir);

    QString got;
    QString thrown;
    {
        std::optional<FileSizeLimit> limit;
        if (sizeLimit > 0)
            limit.emplace(rlim_t(sizeLimit));
        try {
            got = classroom::setMasterPassword(dir, password);
        } catch (const pz::IoError &e) {
            thrown = e.text();
        }
    }
    if (!refusal.isEmpty()) {
        QVERIFY2((got + thrown).contains(named(refusal, dir)), qPrintable(got + thrown));
        QCOMPARE(snapshot(dir), was); // no temporary left either
        if (hasUserFolder)
            QCOMPARE(bytesOf(master), stored);
        return;
    }
    QVERIFY2(got.isEmpty() && thrown.isEmpty(), qPrintable(got + thrown));
    QCOMPARE(bytesOf(master), stored);
    QCOMPARE(statOf(master).st_mode & 07777, mode_t(fileMode));
    if (userMode & S_ISGID)
        QCOMPARE(statOf(master).st_gid, group);
    QCOMPARE(bytesOf(dir + QStringLiteral("/user/taro.dat")), QByteArray("h\r\n"));
    // Beside them only the lock's own folder, in a sticky user folder.
    QCOMPARE(QDir(dir + QStringLiteral("/user")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
             userMode & S_ISVTX ? 3 : 2);
}

QTEST_GUILESS_MAIN(TestClassroom)
#include "tst_core_classroom.moc"
