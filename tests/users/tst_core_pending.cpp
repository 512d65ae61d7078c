// Drill lines kept aside when their history file could not be written, and appended later: once,
// in order, only in their own classroom, only while their user exists.
#include "base/errors.h"
#include "base/classroom.h"
#include "platform/posixfile.h"
#include "users/pending.h"
#include "users/userstore.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <QScopeGuard>

#include <cerrno>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

class TestPending : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void steps_data();
    void steps();
    void keptPrivately();
    void keptSyncedBeforeItsRename_data();
    void keptSyncedBeforeItsRename();
    void folder_data();
    void folder();
    void budget();
    void inSteps();

private:
    bool frozen(bool on);
    QTemporaryDir state_, room_;
    QString back_;
};

void TestPending::init()
{
    QVERIFY(state_.isValid() && room_.isValid());
    qputenv("XDG_STATE_HOME", state_.path().toUtf8());
    back_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(room_.path()));
    Classroom::use(Classroom(room_.path()));
    QVERIFY(QDir().mkdir(QStringLiteral("user")));
    for (const char *name : {"たろう", "はな"})
        QCOMPARE(userstore::createUser(QString::fromUtf8(name), QStringLiteral("pw")), QString());
}

void TestPending::cleanup()
{
    QDir::setCurrent(back_);
    QDir(state_.path()).removeRecursively();
    QDir(room_.path()).removeRecursively();
    QDir().mkpath(state_.path());
    QDir().mkpath(room_.path());
}

// Each step: "fail U L" (the append fails, the line is kept), "write U L" (appended, then the kept
// lines follow), "start" (the start-up flush), "break U" / "mend U" (U's appends fail during flushes
// from now on / no longer), "delete U", "elsewhere U L" (kept for another classroom).
void TestPending::steps_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("taro");   // たろう's lines after the header
    QTest::addColumn<QStringList>("hana");
    QTest::addColumn<int>("left");           // entries still kept
    QTest::addColumn<QString>("dropped");    // part of the message, or empty for none

    QTest::newRow("a kept line lands at the next start")
        << QStringList{"fail たろう A", "start"} << QStringList{"A"} << QStringList{} << 0 << QString();
    QTest::newRow("kept lines follow the next line that is written, in order")
        << QStringList{"fail たろう A", "fail はな B", "fail たろう C", "write たろう D"}
        << QStringList{"D", "A", "C"} << QStringList{"B"} << 0 << QString();
    QTest::newRow("a line lands once, however often the program starts")
        << QStringList{"fail たろう A", "start", "start", "write はな B", "start"}
        << QStringList{"A"} << QStringList{"B"} << 0 << QString();
    QTest::newRow("a line that still cannot be written stays kept")
        << QStringList{"fail たろう A", "fail たろう B", "break たろう", "start", "start"}
        << QStringList{} << QStringList{} << 2 << QString();
    QTest::newRow("nothing overtakes a line that has to wait")
        << QStringList{"fail たろう A", "fail はな B", "break たろう", "start"}
        << QStringList{} << QStringList{} << 2 << QString();
    QTest::newRow("both land once mended")
        << QStringList{"fail たろう A", "fail はな B", "break たろう", "start", "mend たろう", "start"}
        << QStringList{"A"} << QStringList{"B"} << 0 << QString();
    QTest::newRow("the line of a user deleted meanwhile is dropped and said so")
        << QStringList{"fail はな A", "fail たろう B", "delete はな", "start"}
        << QStringList{"B"} << QStringList{} << 0 << QStringLiteral("はな A");
    QTest::newRow("another classroom's lines stay for that classroom")
        << QStringList{"elsewhere たろう A", "fail たろう B", "start"}
        << QStringList{"B"} << QStringList{} << 1 << QString();
    QTest::newRow("a line that was written is not kept")
        << QStringList{"write たろう A", "start"} << QStringList{"A"} << QStringList{} << 0 << QString();
    QTest::newRow("a child deleted and registered again under the name is another child")
        << QStringList{"fail たろう A", "delete たろう", "register たろう", "start"}
        << QStringList{} << QStringList{} << 0 << QStringLiteral("たろう A");
    QTest::newRow("a kept folder that cannot be changed: no line twice, however often it starts")
        << QStringList{"fail たろう A", "fail はな B", "freeze", "start", "start", "start", "thaw", "start"}
        << QStringList{"A"} << QStringList{"B"} << 0 << QString();
    QTest::newRow("a kept line lands after the classroom was copied away and back")
        << QStringList{"fail たろう A", "copy", "start"} << QStringList{"A"} << QStringList{} << 0 << QString();
    QTest::newRow("a copied history that grew meanwhile still takes its line")
        << QStringList{"fail たろう A", "copy", "write たろう B"} << QStringList{"B", "A"} << QStringList{} << 0 << QString();
    QTest::newRow("after a copy, a child registered again under the name is still another child")
        << QStringList{"fail たろう A", "copy", "delete たろう", "register たろう", "start"}
        << QStringList{} << QStringList{} << 0 << QStringLiteral("たろう A");
    QTest::newRow("a history edited at its start is another child's")
        << QStringList{"write たろう X", "fail たろう A", "rewrite たろう", "start"}
        << QStringList{"Y"} << QStringList{} << 0 << QStringLiteral("たろう A");
    QTest::newRow("an entry of the earlier format lands while its files are the same")
        << QStringList{"put inode", "start"} << QStringList{"I"} << QStringList{} << 0 << QString();
    QTest::newRow("an entry of the earlier format is dropped once its files were replaced")
        << QStringList{"put inode", "copy", "start"} << QStringList{} << QStringList{} << 0 << QStringLiteral("たろう I");
    QTest::newRow("an entry from before identities still lands")
        << QStringList{"put old", "start"} << QStringList{"O"} << QStringList{} << 0 << QString();
    QTest::newRow("damaged entries are set aside, named once, and hold nothing back")
        << QStringList{"put emoji", "put torn", "put cut", "put path", "fail はな B", "start", "start"}
        << QStringList{} << QStringList{"B"} << 0 << QStringLiteral("-4.damaged（");
    QTest::newRow("an entry too large to be one is set aside as damaged, not taken for another account's")
        << QStringList{"put huge", "fail はな B", "start", "start"}
        << QStringList{} << QStringList{"B"} << 0 << QStringLiteral("-1.damaged（大きすぎます）");
    QTest::newRow("a line a stopped flush was appending is set aside, never appended again")
        << QStringList{"put landing", "fail はな B", "start", "start"}
        << QStringList{} << QStringList{"B"} << 0 << QStringLiteral("たろう L");
    QTest::newRow("an entry others may write is not used, and said so")
        << QStringList{"put open", "fail たろう A", "start"}
        << QStringList{"A"} << QStringList{} << 0 << QStringLiteral("1 件は");
    QTest::newRow("a kept folder others may write is not used, and said so")
        << QStringList{"fail たろう A", "opendir", "start"}
        << QStringList{} << QStringList{} << 0 << QStringLiteral("ほかのアカウントも書き込める");
}

void TestPending::steps()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, taro);
    QFETCH(QStringList, hana);
    QFETCH(int, left);
    QFETCH(QString, dropped);
    const auto thaw = qScopeGuard([this] { frozen(false); });

    QSet<QString> broken;
    QString said;
    int puts = 0;
    const pending::AppendFn append = [&](const QString &user, const QString &line, const QString &identity) {
        if (broken.contains(user))
            throw pz::IoError(userstore::recordPath(user), QStringLiteral("broken"));
        return userstore::appendDrillIfRegistered(user, line, identity);
    };
    const auto flush = [&] { said += pending::droppedMessage(pending::flush(pending::classroomHere(), append)); };
    for (const QString &step : steps) {
        const QStringList w = step.split(QLatin1Char(' '));
        if (w[0] == QLatin1String("fail")) {
            const auto failed = pending::appendOrKeep(w[1], w[2], [&] {
                throw pz::IoError(userstore::recordPath(w[1]), QStringLiteral("read-only"));
            });
            QVERIFY(failed && failed->kept);
            QVERIFY(failed->error.text().contains(QStringLiteral("read-only")));
        } else if (w[0] == QLatin1String("write")) {
            QVERIFY(!pending::appendOrKeep(w[1], w[2], [&] { userstore::appendDrill(w[1], w[2]); }));
            flush();
        } else if (w[0] == QLatin1String("start")) {
            flush();
        } else if (w[0] == QLatin1String("break")) {
            broken.insert(w[1]);
        } else if (w[0] == QLatin1String("mend")) {
            broken.remove(w[1]);
        } else if (w[0] == QLatin1String("delete")) {
            QVERIFY(userstore::deleteUser(w[1]).outcome == userstore::DeleteResult::Outcome::Deleted);
        } else if (w[0] == QLatin1String("register")) {
            QCOMPARE(userstore::createUser(w[1], QStringLiteral("pw2")), QString());
        } else if (w[0] == QLatin1String("freeze") || w[0] == QLatin1String("thaw")) {
            if (!frozen(w[0] == QLatin1String("freeze")))
                QSKIP("no read-only mount here (needs CAP_SYS_ADMIN)");
        } else if (w[0] == QLatin1String("copy")) {
            // What a copy away and back does: the same bytes under new inode numbers.
            const QString room = room_.path();
            QVERIFY(QDir::setCurrent(back_));
            Classroom::use(Classroom());
            QCOMPARE(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cp -a \"$0\" \"$0.new\" && rm -rf \"$0\" && mv \"$0.new\" \"$0\""), room}), 0);
            QVERIFY(QDir::setCurrent(room));
            Classroom::use(Classroom(room));
        } else if (w[0] == QLatin1String("rewrite")) {
            // The same length, another first line: a history put together again by hand.
            QFile f(userstore::recordPath(w[1]));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QByteArray bytes = f.readAll();
            QVERIFY(bytes.endsWith("X\r\n"));
            bytes[bytes.size() - 3] = 'Y';
            QVERIFY(f.seek(0) && f.write(bytes) == bytes.size());
        } else if (w[0] == QLatin1String("opendir")) {
            QVERIFY(QFile::setPermissions(pending::folder(), QFileDevice::Permissions(0x7770)));
        } else if (w[0] == QLatin1String("put")) {
            // Entries as a crash, a bad disk or another hand may leave them (the line ends matter).
            const QByteArray room = pending::classroomHere().toUtf8();
            // The identity earlier versions wrote: the history's device and inode, the password
            // file's inode and time.
            const auto inodes = [](const char *user) {
                struct stat d {}, p {};
                ::lstat(QFile::encodeName(userstore::recordPath(QString::fromUtf8(user))).constData(), &d);
                ::lstat(QFile::encodeName(userstore::passwordPath(QString::fromUtf8(user))).constData(), &p);
                return QByteArray::number(quint64(d.st_dev)) + ':' + QByteArray::number(quint64(d.st_ino)) + '/'
                     + QByteArray::number(quint64(p.st_ino)) + ':' + QByteArray::number(qint64(p.st_mtim.tv_sec)) + '.'
                     + QByteArray::number(qint64(p.st_mtim.tv_nsec)).rightJustified(9, '0');
            };
            const QMap<QString, QByteArray> raw{
                {"old", "pikazan-pending 1\n" + room + "\nたろう\nO\n"},
                {"inode", "pikazan-pending 2\n" + room + "\nたろう\n" + inodes("たろう") + "\nI\n"},
                {"emoji", "pikazan-pending 2\n" + room + "\nたろう\n\n😀,2026/12/07,1,9,不合格\n"},
                {"torn", "pikazan-pending 2\n" + room + "\nたろう\n\nT"},
                {"huge", "pikazan-pending 2\n" + room + "\nたろう\n\n" + QByteArray(64 * 1024, 'H') + "\n"},
                {"cut", "pikazan-pending 2\n" + room + "\nたろう\n"},
                {"path", "pikazan-pending 2\n" + room + "\n../../other/user/はな\n\nP\n"},
                {"landing", "pikazan-pending 2\n" + room + "\nたろう\n\nL\n"},
                {"open", "pikazan-pending 2\n" + room + "\nたろう\n\nG\n"},
            };
            QDir().mkpath(pending::folder());
            const QString file = pending::folder() + QStringLiteral("/0000000000000000-%1%2")
                                                         .arg(++puts)
                                                         .arg(w[1] == QLatin1String("landing") ? ".landing" : ".line");
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(raw.value(w[1])) > 0);
            f.close();
            QVERIFY(QFile::setPermissions(file, w[1] == QLatin1String("open") ? QFileDevice::Permissions(0x6620)
                                                                                : QFileDevice::Permissions(0x6600)));
        } else if (w[0] == QLatin1String("elsewhere")) {
            pending::keep(room_.path() + QStringLiteral("/../another"), w[1], w[2]);
        }
    }

    const auto history = [](const char *name) {
        const QString user = QString::fromUtf8(name);
        return QFileInfo::exists(userstore::recordPath(user)) ? userstore::readHistory(user).mid(1) : QStringList();
    };
    QCOMPARE(history("たろう"), taro);
    QCOMPARE(history("はな"), hana);
    QCOMPARE(pending::entries().size(), left);
    if (dropped.isEmpty())
        QCOMPARE(said, QString());
    else
        QVERIFY2(said.contains(dropped) && said.indexOf(dropped) == said.lastIndexOf(dropped), qPrintable(said));
    // Nothing kept is ever deleted unsaid: what did not land is still there, set aside or waiting.
    QCOMPARE(QDir(pending::folder()).entryList({"*.landing"}, QDir::Files), QStringList());
}

// The kept folder made unchangeable (a read-only mount as root, whom modes do not stop), or back.
bool TestPending::frozen(bool on)
{
    const QByteArray dir = QFile::encodeName(pending::folder());
    if (::geteuid() != 0)
        return ::chmod(dir.constData(), on ? 0500 : 0700) == 0;
    if (!on)
        return ::umount(dir.constData()) == 0 || errno == EINVAL;
    return ::mount(dir.constData(), dir.constData(), nullptr, MS_BIND, nullptr) == 0
        && ::mount(nullptr, dir.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

// The kept line is this account's alone, whole, with its classroom and user, and no temporary
// is left beside it.
void TestPending::keptPrivately()
{
    pending::keep(pending::classroomHere(), QStringLiteral("たろう"), QStringLiteral("１０級,2026/12/07,9,1,合格"));
    const QList<pending::Entry> kept = pending::entries();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].classroom, QFileInfo(room_.path()).canonicalFilePath());
    QCOMPARE(kept[0].user, QStringLiteral("たろう"));
    QCOMPARE(kept[0].line, QStringLiteral("１０級,2026/12/07,9,1,合格"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(kept[0].file).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
    QCOMPARE(::stat(QFile::encodeName(pending::folder()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 077, mode_t(0));
    QCOMPARE(QDir(pending::folder()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")), QStringList());
}

// A kept line must survive a power cut: its data synced before the entry is renamed into place,
// the folder after. failing: the call that fails with EIO.
void TestPending::keptSyncedBeforeItsRename_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("kept");
    const QStringList all{"fdatasync .tmp", "rename .tmp .line", "fsync folder"};
    QTest::newRow("kept") << "" << all << 1;
    QTest::newRow("data not synced: not renamed, not kept") << "fdatasync" << QStringList{"fdatasync .tmp"} << 0;
    QTest::newRow("folder not synced: kept all the same") << "fsync" << all << 1;
}

void TestPending::keptSyncedBeforeItsRename()
{
    QFETCH(QString, failing);
    QFETCH(QStringList, calls);
    QFETCH(int, kept);
    const auto kind = [](const QString &path) {
        return QFileInfo(path).isDir() ? QStringLiteral("folder") : QLatin1Char('.') + QFileInfo(path).suffix();
    };
    const auto of = [&](int fd) { return kind(QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd))); };
    const auto fails = [&](const char *call) { return failing == QLatin1String(call) ? (errno = EIO, -1) : 0; };
    QStringList seen;
    posixfile::testing::setSyscalls({
        [&](int fd) { seen << QStringLiteral("fdatasync ") + of(fd); return fails("fdatasync") ? -1 : ::fdatasync(fd); },
        [&](int at, const char *from, const char *to) {
            seen << QStringLiteral("rename %1 %2").arg(kind(QFile::decodeName(from)), kind(QFile::decodeName(to)));
            return ::renameat(at, from, at, to);
        },
        [&](int fd) { seen << QStringLiteral("fsync ") + of(fd); return fails("fsync") ? -1 : ::fsync(fd); },
    });
    const auto restore = qScopeGuard([] { posixfile::testing::setSyscalls({}); });
    QString error;
    try {
        pending::keep(pending::classroomHere(), QStringLiteral("たろう"), QStringLiteral("１０級,2026/12/07,9,1,合格"));
    } catch (const pz::IoError &e) {
        error = e.reason();
    }
    QCOMPARE(seen, calls);
    QCOMPARE(error, failing == QLatin1String("fdatasync") ? pz::reasonFor(EIO) : QString());
    QCOMPARE(pending::entries().size(), kept);
    QCOMPARE(QDir(pending::folder()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")), QStringList());
}

void TestPending::folder_data()
{
    QTest::addColumn<QByteArray>("stateHome");
    QTest::addColumn<QString>("expected"); // "~" for the home folder
    QTest::newRow("XDG_STATE_HOME set") << QByteArray("/srv/state") << QStringLiteral("/srv/state/pikazan/pending");
    QTest::newRow("XDG_STATE_HOME unset") << QByteArray() << QStringLiteral("~/.local/state/pikazan/pending");
    QTest::newRow("a relative XDG_STATE_HOME is ignored") << QByteArray("state") << QStringLiteral("~/.local/state/pikazan/pending");
    QTest::newRow("no HOME: the account's home") << QByteArray() << QStringLiteral("#/.local/state/pikazan/pending");
    QTest::newRow("an empty HOME: the account's home") << QByteArray() << QStringLiteral("=/.local/state/pikazan/pending");
}

void TestPending::folder()
{
    QFETCH(QByteArray, stateHome);
    QFETCH(QString, expected);
    if (stateHome.isEmpty())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", stateHome);
    const QByteArray home = qgetenv("HOME");
    if (expected.startsWith(QLatin1Char('#')))
        qunsetenv("HOME");
    if (expected.startsWith(QLatin1Char('=')))
        qputenv("HOME", "");
    if (expected[0] != u'/')
        expected.replace(0, 1, expected[0] == u'~' ? QDir::homePath() : QFile::decodeName(::getpwuid(::geteuid())->pw_dir));
    const QString got = pending::folder();
    qputenv("HOME", home);
    QCOMPARE(got, expected);
}

// A flush with a budget stops taking entries once it is spent, and says it has not finished; the
// next goes on after the last entry taken. Each append here outlasts the budget: one a batch.
void TestPending::budget()
{
    for (const char *line : {"A", "B", "C"})
        pending::keep(pending::classroomHere(), QStringLiteral("たろう"), QString::fromLatin1(line));
    QStringList tried;
    const pending::AppendFn slow = [&](const QString &user, const QString &line, const QString &identity) {
        tried << line;
        QThread::msleep(150);
        return userstore::appendDrillIfRegistered(user, line, identity);
    };
    const QString room = pending::classroomHere();
    pending::Outcome o = pending::flush(room, slow, QString(), 0);
    QVERIFY(!o.finished);
    QCOMPARE(tried, QStringList());
    o = pending::flush(room, slow, o.after, 100);
    QVERIFY(!o.finished);
    QCOMPARE(o.appended, 1);
    o = pending::flush(room, slow, o.after, 100);
    QVERIFY(!o.finished);
    QCOMPARE(tried, (QStringList{"A", "B"}));
    o = pending::flush(room, slow, o.after, 100);
    QVERIFY(o.finished);
    QCOMPARE(tried, (QStringList{"A", "B", "C"}));
    QCOMPARE(userstore::readHistory(QStringLiteral("たろう")).mid(1), (QStringList{"A", "B", "C"}));
    QCOMPARE(pending::entries().size(), 0);
}

// The program's flush from the event loop: batches until every kept line is through, then one
// message. Each append is slowed past half a batch, so that the lines take several batches.
void TestPending::inSteps()
{
    const QString room = pending::classroomHere();
    for (const char *kept : {"たろう A", "はな B", "たろう C", "たろう D", "たろう E"}) {
        const QStringList w = QString::fromUtf8(kept).split(QLatin1Char(' '));
        pending::keep(room, w[0], w[1]);
    }
    QVERIFY(userstore::deleteUser(QStringLiteral("はな")).outcome == userstore::DeleteResult::Outcome::Deleted);
    int appends = 0;
    userstore::testing::setHook([&](const char *step) {
        if (qstrcmp(step, "appending") == 0) {
            ++appends;
            QThread::msleep(30);
        }
    });
    const auto restore = qScopeGuard([] { userstore::testing::setHook({}); });
    QStringList said;
    pending::flushHereInSteps([&](const QString &message) { said << message; });
    QVERIFY2(appends < 4, "the first batch held the event loop past its time");
    QTRY_COMPARE(said.size(), 1);
    QVERIFY2(said[0].contains(QStringLiteral("はな B")), qPrintable(said[0]));
    QCOMPARE(appends, 4);
    QCOMPARE(userstore::readHistory(QStringLiteral("たろう")).mid(1), (QStringList{"A", "C", "D", "E"}));
    QCOMPARE(pending::entries().size(), 0);
}

QTEST_GUILESS_MAIN(TestPending)
#include "tst_core_pending.moc"
