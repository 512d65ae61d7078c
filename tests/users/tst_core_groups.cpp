// Each child's 組 in its own file: the file's bytes, a classroom without it, changes kept together,
// damage refused without rewriting, and the 組 a list registers with its children.
#include "base/classroom.h"
#include "base/errors.h"
#include "users/groups.h"
#include "users/roster.h"
#include "users/userstore.h"
#include "support/filebytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {
using testsupport::bytesOf;
using testsupport::writeBytes;
} // namespace

class TestGroups : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void withoutTheFile();
    void assigns();
    void damage_data();
    void damage();
    void fromTheList();
    void listFailureTakesBack();
    void deletionTakesTheGroup();

private:
    QTemporaryDir *dir_ = nullptr;
};

void TestGroups::init()
{
    dir_ = new QTemporaryDir;
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("user")));
    Classroom::use(Classroom(dir_->path()));
}

void TestGroups::cleanup()
{
    Classroom::use(Classroom());
    delete dir_;
}

void TestGroups::withoutTheFile()
{
    QVERIFY(groups::read().isEmpty());
    QCOMPARE(groups::of(QStringLiteral("たろう")), QString());
    QVERIFY(groups::all().isEmpty());
    QVERIFY(!QFile::exists(groups::path()));
}

void TestGroups::assigns()
{
    groups::assign({{QStringLiteral("たろう"), QStringLiteral("1組")}, {QStringLiteral("b"), QStringLiteral("10組")}, {QStringLiteral("a"), QStringLiteral("2組")}});
    // たろう is 82 BD 82 EB 82 A4, 組 is 91 67; sorted by name, CR LF, the version first.
    QCOMPARE(bytesOf(groups::path()), QByteArray("pikazan-kumi 1\r\na\t2\x91\x67\r\nb\t10\x91\x67\r\n\x82\xbd\x82\xeb\x82\xa4\t1\x91\x67\r\n"));
    QCOMPARE(groups::all(), (QStringList{QStringLiteral("1組"), QStringLiteral("2組"), QStringLiteral("10組")}));
    QVERIFY(::chmod(QFile::encodeName(groups::path()).constData(), 0664) == 0);
    // A change keeps the others; an empty 組 takes one away; the mode stays.
    groups::assign({{QStringLiteral("a"), QString()}, {QStringLiteral("b"), QStringLiteral("1組")}});
    QCOMPARE(groups::read(), (QHash<QString, QString>{{QStringLiteral("b"), QStringLiteral("1組")}, {QStringLiteral("たろう"), QStringLiteral("1組")}}));
    QCOMPARE(groups::all(), QStringList{QStringLiteral("1組")});
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(groups::path()).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0664));
}

void TestGroups::damage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("another version") << QByteArray("pikazan-kumi 2\r\na\t1\r\n");
    QTest::newRow("no version") << QByteArray("a\t1\r\n");
    QTest::newRow("a line without a tab") << QByteArray("pikazan-kumi 1\r\na 1\r\n");
    QTest::newRow("an empty 組") << QByteArray("pikazan-kumi 1\r\na\t\r\n");
}

void TestGroups::damage()
{
    QFETCH(QByteArray, bytes);
    writeBytes(groups::path(), bytes);
    QVERIFY_THROWS_EXCEPTION(pz::IoError, groups::read());
    QVERIFY_THROWS_EXCEPTION(pz::IoError, groups::assign({{QStringLiteral("x"), QStringLiteral("1")}}));
    QCOMPARE(bytesOf(groups::path()), bytes);
}

void TestGroups::fromTheList()
{
    groups::assign({{QStringLiteral("c"), QStringLiteral("9組")}}); // left by an earlier child "c"
    const roster::Plan p = roster::plan(roster::parse("a,,1組\nb,,2組\nc\n"), [](int) { return 0; });
    QCOMPARE(roster::carryOut(p), QString());
    QCOMPARE(groups::read(), (QHash<QString, QString>{{QStringLiteral("a"), QStringLiteral("1組")}, {QStringLiteral("b"), QStringLiteral("2組")}}));
}

void TestGroups::listFailureTakesBack()
{
    writeBytes(groups::path(), "damaged\r\n");
    const roster::Plan p = roster::plan(roster::parse("a,,1組\nb\n"), [](int) { return 0; });
    QVERIFY_THROWS_EXCEPTION(pz::IoError, roster::carryOut(p));
    QVERIFY(userstore::listUsers().isEmpty());
    QCOMPARE(bytesOf(groups::path()), QByteArray("damaged\r\n"));
}

void TestGroups::deletionTakesTheGroup()
{
    // A room without the file gets none from a deletion.
    QCOMPARE(userstore::createUser(QStringLiteral("a"), QStringLiteral("pw")), QString());
    QCOMPARE(roster::deleteChild(QStringLiteral("a")).outcome, userstore::DeleteResult::Outcome::Deleted);
    QVERIFY(!QFile::exists(dir_->path() + QStringLiteral("/user/kumi.txt")));

    for (const char *n : {"a", "b"})
        QCOMPARE(userstore::createUser(QString::fromLatin1(n), QStringLiteral("pw")), QString());
    groups::assign({{QStringLiteral("a"), QStringLiteral("1組")}, {QStringLiteral("b"), QStringLiteral("2組")}});
    QCOMPARE(roster::deleteChild(QStringLiteral("a")).outcome, userstore::DeleteResult::Outcome::Deleted);
    QCOMPARE(bytesOf(dir_->path() + QStringLiteral("/user/kumi.txt")), QByteArray("pikazan-kumi 1\r\nb\t2\x91\x67\r\n"));
    // Registered again one at a time, the name starts in no 組.
    QCOMPARE(userstore::createUser(QStringLiteral("a"), QStringLiteral("pw2")), QString());
    QCOMPARE(groups::of(QStringLiteral("a")), QString());
}

QTEST_GUILESS_MAIN(TestGroups)
#include "tst_core_groups.moc"
