// Deleting a user in the store, without a display: which files go, a file already gone, a file
// that stays (the history: nothing changes; the password: reported after the user is gone), links
// and names that are no user of the store.
#include "base/errors.h"
#include "base/classroom.h"
#include "platform/textfile.h"
#include "users/userstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {
void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(bytes);
}

// What lies in the user folder, by name (links included, dangling or not), sorted.
QStringList folder()
{
    QStringList names = QDir(QStringLiteral("user")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral(".pikazan.lock"));
    names.sort();
    return names;
}

// A folder where a file should be: not even root can unlink it.
void blockWithFolder(const QString &path)
{
    QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
}
} // namespace

Q_DECLARE_METATYPE(userstore::DeleteResult::Outcome)

class TestUserDelete : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void deletes_data();
    void deletes();
    void historyThatStays();
    void fileThatStays_data();
    void fileThatStays();
    void linksAreRemovedNotFollowed();
    void refusedNames_data();
    void refusedNames();

private:
    QTemporaryDir *dir_ = nullptr;
    QString oldCwd_;
};

void TestUserDelete::init()
{
    oldCwd_ = QDir::currentPath();
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    QDir::setCurrent(dir_->path()); // for this test's own file names
    Classroom::use(Classroom(dir_->path()));
    writeBytes(QStringLiteral("user/master.psw"), "teacher\r\n");
    QCOMPARE(userstore::createUser(QStringLiteral("はなこ"), QStringLiteral("pw")), QString());
}

void TestUserDelete::cleanup()
{
    QDir::setCurrent(oldCwd_);
    delete dir_;
    dir_ = nullptr;
}

void TestUserDelete::deletes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("remove"); // files removed by hand before the deletion
    QTest::addColumn<QStringList>("left");

    const QStringList others{QStringLiteral("master.psw"), QStringLiteral("はなこ.dat"), QStringLiteral("はなこ.psw")};
    QTest::newRow("both files") << QStringLiteral("たろう") << QStringList() << others;
    QTest::newRow("password file already gone") << QStringLiteral("たろう") << QStringList{QStringLiteral("たろう.psw")} << others;
    QTest::newRow("history already gone, a password file left from before")
        << QStringLiteral("たろう") << QStringList{QStringLiteral("たろう.dat")} << others;
    QTest::newRow("nothing there") << QStringLiteral("だれでもない") << QStringList()
                                   << (QStringList{QStringLiteral("master.psw"), QStringLiteral("たろう.dat"), QStringLiteral("たろう.psw"),
                                                   QStringLiteral("はなこ.dat"), QStringLiteral("はなこ.psw")});
    QTest::newRow("a name with blanks inside") << QStringLiteral("た ろう") << QStringList() << (QStringList(others) << QStringLiteral("たろう.dat") << QStringLiteral("たろう.psw"));
}

void TestUserDelete::deletes()
{
    QFETCH(QString, name);
    QFETCH(QStringList, remove);
    QFETCH(QStringList, left);
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("pw")), QString());
    if (name == QStringLiteral("た ろう"))
        QCOMPARE(userstore::createUser(name, QStringLiteral("pw")), QString());
    for (const QString &f : remove)
        QVERIFY(QFile::remove(QStringLiteral("user/") + f));

    const userstore::DeleteResult result = userstore::deleteUser(name);
    QVERIFY2(!result.error, result.error ? qPrintable(result.error->text()) : "");
    QCOMPARE(result.outcome, userstore::DeleteResult::Outcome::Deleted);
    left.sort();
    QCOMPARE(folder(), left);
}

void TestUserDelete::historyThatStays()
{
    QVERIFY(QFile::remove(QStringLiteral("user/はなこ.dat")));
    blockWithFolder(QStringLiteral("user/はなこ.dat"));
    const QStringList before = folder();
    const userstore::DeleteResult result = userstore::deleteUser(QStringLiteral("はなこ"));
    QCOMPARE(result.outcome, userstore::DeleteResult::Outcome::Kept);
    QVERIFY2(result.error, "a history that stays must be reported");
    QCOMPARE(result.error->path(), dir_->path() + QStringLiteral("/user/はなこ.dat"));
    QVERIFY2(result.error->text().contains(QStringLiteral("user/はなこ.dat")), qPrintable(result.error->text()));
    // Nothing else was touched: the password file is still there.
    QCOMPARE(folder(), before);
    QCOMPARE(userstore::readPassword(QStringLiteral("はなこ")), QStringLiteral("pw"));
}

void TestUserDelete::fileThatStays_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<userstore::DeleteResult::Outcome>("outcome");
    QTest::newRow("the password file") << QStringLiteral("user/はなこ.psw") << userstore::DeleteResult::Outcome::PasswordFileLeft;
    QTest::newRow("the pace file") << QStringLiteral("user/はなこ.pace") << userstore::DeleteResult::Outcome::PaceFileLeft;
}

void TestUserDelete::fileThatStays()
{
    QFETCH(QString, file);
    QFile::remove(file);
    blockWithFolder(file);
    const userstore::DeleteResult result = userstore::deleteUser(QStringLiteral("はなこ"));
    QTEST(result.outcome, "outcome");
    const std::optional<pz::IoError> &leftover = result.error;
    QVERIFY(leftover);
    QCOMPARE(leftover->path(), dir_->path() + QLatin1Char('/') + file);
    QVERIFY2(leftover->text().contains(file), qPrintable(leftover->text()));
    QVERIFY2(leftover->text().contains(QStringLiteral("残っています")), qPrintable(leftover->text()));
    // The user is gone all the same.
    QVERIFY(!QFileInfo::exists(QStringLiteral("user/はなこ.dat")));
    QVERIFY(!userstore::listUsers().contains(QStringLiteral("はなこ")));
}

void TestUserDelete::linksAreRemovedNotFollowed()
{
    writeBytes(QStringLiteral("elsewhere/keep.dat"), "keep\r\n");
    writeBytes(QStringLiteral("elsewhere/keep.psw"), "keep\r\n");
    QVERIFY(QFile::remove(QStringLiteral("user/はなこ.dat")));
    QVERIFY(QFile::remove(QStringLiteral("user/はなこ.psw")));
    QCOMPARE(::symlink("../elsewhere/keep.dat", QFile::encodeName(QStringLiteral("user/はなこ.dat")).constData()), 0);
    QCOMPARE(::symlink("../elsewhere/gone.psw", QFile::encodeName(QStringLiteral("user/はなこ.psw")).constData()), 0); // dangling
    QCOMPARE(userstore::deleteUser(QStringLiteral("はなこ")).outcome, userstore::DeleteResult::Outcome::Deleted);
    QCOMPARE(folder(), QStringList{QStringLiteral("master.psw")});
    QVERIFY(QFileInfo::exists(QStringLiteral("elsewhere/keep.dat")));
    QVERIFY(QFileInfo::exists(QStringLiteral("elsewhere/keep.psw")));
}

void TestUserDelete::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("master") << QStringLiteral("master");
    QTest::newRow("Master") << QStringLiteral("Master");
    QTest::newRow("a path to the master file") << QStringLiteral("../user/master");
    QTest::newRow("a path out of the folder") << QStringLiteral("../elsewhere/keep");
    QTest::newRow("a device name") << QStringLiteral("CON");
    QTest::newRow("a dot at the end") << QStringLiteral("はなこ.");
    QTest::newRow("a line end") << QStringLiteral("はな\nこ");
}

void TestUserDelete::refusedNames()
{
    QFETCH(QString, name);
    writeBytes(QStringLiteral("elsewhere/keep.dat"), "keep\r\n");
    writeBytes(QStringLiteral("elsewhere/keep.psw"), "keep\r\n");
    writeBytes(QStringLiteral("user/Master.dat"), "x\r\n");
    writeBytes(QStringLiteral("user/CON.dat"), "x\r\n");
    writeBytes(QStringLiteral("user/はなこ..dat"), "x\r\n");
    const QStringList before = folder();
    const userstore::DeleteResult result = userstore::deleteUser(name);
    QCOMPARE(result.outcome, userstore::DeleteResult::Outcome::Kept);
    QVERIFY(result.error);
    QCOMPARE(folder(), before);
    QVERIFY(QFileInfo::exists(QStringLiteral("elsewhere/keep.dat")));
    QVERIFY(QFileInfo::exists(QStringLiteral("elsewhere/keep.psw")));
    QCOMPARE(textfile::readFirstLine(QStringLiteral("user/master.psw")), QStringLiteral("teacher"));
}

QTEST_GUILESS_MAIN(TestUserDelete)
#include "tst_core_userdelete.moc"
