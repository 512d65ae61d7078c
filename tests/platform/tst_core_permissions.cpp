// What the program creates in a classroom folder: shared with the folder's group when the folder is
// shared, private as the umask makes it otherwise, whatever the account's umask.
#include "base/errors.h"
#include "platform/permissions.h"
#include "platform/textfile.h"

#include "../support/otheraccount.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray native(const QString &path) { return QFile::encodeName(path); }

struct stat statOf(const QString &path)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        st.st_mode = 0;
    return st;
}

// Sets the umask for one scope.
class Umask {
public:
    explicit Umask(mode_t mask) : old_(::umask(mask)) {}
    ~Umask() { ::umask(old_); }

private:
    mode_t old_;
};

// The group to share folders with: one this account belongs to besides its own (root may take
// any; 100 is "users" on Debian).
gid_t shareGroup() { return ::geteuid() == 0 ? gid_t(100) : testsupport::otherGroup(); }
} // namespace

class TestPermissions : public QObject {
    Q_OBJECT
private slots:
    void newEntriesFollowTheFolder_data();
    void newEntriesFollowTheFolder();
};

void TestPermissions::newEntriesFollowTheFolder_data()
{
    // folder: the classroom folder's mode; shared: it belongs to the share group (else to this
    // account's own group); make: what is created in it; mode: the new entry's mode; inGroup: it
    // carries the share group (else this account's own); other: run as an ordinary account.
    QTest::addColumn<int>("folder");
    QTest::addColumn<bool>("shared");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("make");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("inGroup");
    QTest::addColumn<bool>("other");
    QTest::newRow("private 0700: new file as the umask gives") << 0700 << false << 022 << "createNew" << 0644 << false << false;
    QTest::newRow("private 0700: rewritten new file as the umask gives") << 0700 << false << 002 << "rewrite" << 0664 << false << false;
    QTest::newRow("private 0755: folder as the umask gives") << 0755 << false << 027 << "makeFolder" << 0750 << false << false;
    QTest::newRow("group-writable 0775: new file, umask 077") << 0775 << true << 077 << "createNew" << 0664 << true << false;
    QTest::newRow("group-writable 0775: rewritten new file") << 0775 << true << 077 << "rewrite" << 0664 << true << false;
    QTest::newRow("group-writable 0775: folder setgid") << 0775 << true << 077 << "makeFolder" << 02775 << true << false;
    // mkdir gives 0770 already: only the setgid bit is missing.
    QTest::newRow("group-writable 0770: folder, umask 007") << 0770 << true << 007 << "makeFolder" << 02770 << true << false;
    QTest::newRow("group-writable 0770: nothing for others") << 0770 << true << 022 << "createNew" << 0660 << true << false;
    QTest::newRow("setgid 2755: rewritten new file shared") << 02755 << true << 022 << "rewrite" << 0664 << true << false;
    QTest::newRow("setgid 2775: folder") << 02775 << true << 077 << "makeFolder" << 02775 << true << false;
    // An ordinary account's new file has its own group; only the fchown gives it the folder's.
    QTest::newRow("as an ordinary account: group-writable 0775, new file") << 0775 << true << 022 << "createNew" << 0664 << true << true;
    QTest::newRow("as an ordinary account: group-writable 0775, folder") << 0775 << true << 022 << "makeFolder" << 02775 << true << true;
    // Password files: never for others, never the group's to write; 0600 where nobody shares.
    // "secret over 0664": rewriting one that an older program left open to all.
    QTest::newRow("private 0700: password, umask 002") << 0700 << false << 002 << "secret" << 0600 << false << false;
    QTest::newRow("private 0755: password, umask 077") << 0755 << false << 077 << "secret" << 0600 << false << false;
    QTest::newRow("private 0755: password over 0664") << 0755 << false << 002 << "secret over 0664" << 0600 << false << false;
    QTest::newRow("group-writable 0775: password, umask 002") << 0775 << true << 002 << "secret" << 0640 << true << false;
    QTest::newRow("group-writable 0775: password, umask 077") << 0775 << true << 077 << "secret" << 0640 << true << false;
    QTest::newRow("sticky 3770: password over 0664, umask 002") << 03770 << true << 002 << "secret over 0664" << 0640 << true << false;
    QTest::newRow("setgid 2770: password over 0664, umask 077") << 02770 << true << 077 << "secret over 0664" << 0640 << true << false;
    QTest::newRow("as an ordinary account: 0775, password") << 0775 << true << 002 << "secret" << 0640 << true << true;
    // The user folder: sticky besides, where it is shared.
    QTest::newRow("group-writable 0775: user folder, umask 077") << 0775 << true << 077 << "sticky folder" << 03775 << true << false;
    QTest::newRow("setgid 2770: user folder, umask 002") << 02770 << true << 002 << "sticky folder" << 03770 << true << false;
    QTest::newRow("private 0755: user folder as the umask gives") << 0755 << false << 022 << "sticky folder" << 0755 << false << false;
}

void TestPermissions::newEntriesFollowTheFolder()
{
    QFETCH(int, folder);
    QFETCH(bool, shared);
    QFETCH(int, mask);
    QFETCH(QString, make);
    QFETCH(int, mode);
    QFETCH(bool, inGroup);
    QFETCH(bool, other);
    if (other && !testsupport::runAsOrdinaryUser())
        return;
    const gid_t group = shareGroup();
    if (shared && group == gid_t(-1))
        QSKIP("this account has no group besides its own");

    QTemporaryDir dir;
    const QString room = dir.filePath(QStringLiteral("room"));
    QVERIFY(QDir().mkdir(room));
    if (shared)
        QVERIFY(::chown(native(room).constData(), uid_t(-1), group) == 0);
    QVERIFY(::chmod(native(room).constData(), mode_t(folder)) == 0);

    const QString made = room + QStringLiteral("/new");
    if (make == QLatin1String("secret over 0664")) {
        QFile old(made);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QVERIFY(::chmod(native(made).constData(), 0664) == 0);
    }
    {
        const Umask scoped{mode_t(mask)};
        if (make.startsWith(QLatin1String("secret")))
            textfile::rewriteSecret(made, {QStringLiteral("pw")});
        else if (make == QLatin1String("sticky folder"))
            QCOMPARE(permissions::makeFolder(made, permissions::Sticky::Yes), 0);
        else if (make == QLatin1String("createNew"))
            textfile::createNew(made, {QStringLiteral("級/段,日付,正解数,不正解数,合否")});
        else if (make == QLatin1String("rewrite"))
            textfile::rewrite(made, {QStringLiteral("pw")});
        else
            QCOMPARE(permissions::makeFolder(made), 0);
    }
    const struct stat st = statOf(made);
    const bool folderMade = make == QLatin1String("makeFolder") || make == QLatin1String("sticky folder");
    QVERIFY(folderMade ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode));
    QCOMPARE(QString::number(st.st_mode & 07777, 8), QString::number(mode, 8));
    QCOMPARE(st.st_gid, inGroup ? group : statOf(dir.path()).st_gid);
    // Nothing else is left in the folder (no temporary of the rewrite).
    QCOMPARE(QDir(room).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), QStringList{"new"});
}

QTEST_GUILESS_MAIN(TestPermissions)
#include "tst_core_permissions.moc"
