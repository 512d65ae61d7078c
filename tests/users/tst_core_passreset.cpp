// A child's new password in the store and from the teacher's command: what lands in the password
// file, what stays (the history, the pace file, the file's mode), and what is refused with nothing
// written.
#include "base/classroom.h"
#include "users/classroom.h"
#include "users/userstore.h"
#include "support/filebytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
using testsupport::bytesOf;
using testsupport::writeBytes;
mode_t modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}
} // namespace

class TestPassReset : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void sets_data();
    void sets();
    void refused_data();
    void refused();
    void linkInThePasswordsPlace();
    void commandRefusals_data();
    void commandRefusals();

private:
    QString user(const QString &file) const { return dir_->path() + QStringLiteral("/user/") + file; }
    QTemporaryDir *dir_ = nullptr;
};

void TestPassReset::init()
{
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("user")));
    Classroom::use(Classroom(dir_->path()));
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("old")), QString());
    QCOMPARE(userstore::createUser(QStringLiteral("はなこ"), QStringLiteral("hana")), QString());
    userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("10級,2026/12/1,9,1,合格"));
    writeBytes(user(QStringLiteral("たろう.pace")), "pace\r\n");
}

void TestPassReset::cleanup()
{
    Classroom::use(Classroom());
    delete dir_;
    dir_ = nullptr;
}

void TestPassReset::sets_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("ascii") << QStringLiteral("new7") << QByteArray("new7\r\n");
    // Shift_JIS on disk: あ is 82 A0, a blank inside is kept.
    QTest::newRow("kana and a blank") << QStringLiteral("あ a") << QByteArray("\x82\xa0 a\r\n");
    QTest::newRow("one character") << QStringLiteral("x") << QByteArray("x\r\n");
}

void TestPassReset::sets()
{
    QFETCH(QString, password);
    QFETCH(QByteArray, file);
    QVERIFY(::chmod(QFile::encodeName(user(QStringLiteral("たろう.psw"))).constData(), 0640) == 0);
    const QByteArray history = bytesOf(user(QStringLiteral("たろう.dat")));
    QCOMPARE(userstore::setPassword(QStringLiteral("たろう"), password), QString());
    QCOMPARE(bytesOf(user(QStringLiteral("たろう.psw"))), file);
    QCOMPARE(modeOf(user(QStringLiteral("たろう.psw"))), mode_t(0640));
    QCOMPARE(bytesOf(user(QStringLiteral("たろう.dat"))), history);
    QCOMPARE(bytesOf(user(QStringLiteral("たろう.pace"))), QByteArray("pace\r\n"));
    QCOMPARE(bytesOf(user(QStringLiteral("はなこ.psw"))), QByteArray("hana\r\n"));
    QCOMPARE(userstore::readPassword(QStringLiteral("たろう")), password);
    // No temporary left beside the files.
    QStringList left = QDir(user(QString())).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral(".pikazan.lock"));
    left.sort();
    QCOMPARE(left, (QStringList{QStringLiteral("たろう.dat"), QStringLiteral("たろう.pace"), QStringLiteral("たろう.psw"),
                                QStringLiteral("はなこ.dat"), QStringLiteral("はなこ.psw")}));
}

void TestPassReset::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("nobody of that name") << QStringLiteral("じろう") << QStringLiteral("pw")
                                         << QStringLiteral("「じろう」という名前の人は登録されていません。");
    QTest::newRow("empty password") << QStringLiteral("たろう") << QString() << QStringLiteral("なまえとパスワードをいれてください");
    QTest::newRow("line end in the password") << QStringLiteral("たろう") << QStringLiteral("a\nb")
                                              << QStringLiteral("パスワードにつかえないもじがはいっています");
    QTest::newRow("not in Shift_JIS") << QStringLiteral("たろう") << QStringLiteral("pw\u00e9")
                                      << QStringLiteral("パスワードにつかえないもじがはいっています");
    QTest::newRow("a path for a name") << QStringLiteral("../user/たろう") << QStringLiteral("pw")
                                       << QStringLiteral("なまえに「/」はつかえません");
    QTest::newRow("the master password file") << QStringLiteral("master") << QStringLiteral("pw")
                                              << QStringLiteral("「master」はなまえにつかえません");
    // Deleted but for the password file: no longer a child.
    QTest::newRow("history gone") << QStringLiteral("はなこ") << QStringLiteral("pw")
                                  << QStringLiteral("「はなこ」という名前の人は登録されていません。");
}

void TestPassReset::refused()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, refusal);
    QVERIFY(QFile::remove(user(QStringLiteral("はなこ.dat"))));
    const QByteArray taro = bytesOf(user(QStringLiteral("たろう.psw")));
    QCOMPARE(userstore::setPassword(name, password), refusal);
    QCOMPARE(bytesOf(user(QStringLiteral("たろう.psw"))), taro);
    QCOMPARE(bytesOf(user(QStringLiteral("はなこ.psw"))), QByteArray("hana\r\n"));
    QVERIFY(!QFileInfo::exists(user(QStringLiteral("じろう.psw"))));
}

void TestPassReset::linkInThePasswordsPlace()
{
    // A link where the password file should be is no child's password: the file it leads to stays.
    const QString elsewhere = dir_->path() + QStringLiteral("/elsewhere");
    writeBytes(elsewhere, "keep\r\n");
    QVERIFY(QFile::remove(user(QStringLiteral("たろう.psw"))));
    QVERIFY(QFile::link(elsewhere, user(QStringLiteral("たろう.psw"))));
    QCOMPARE(userstore::setPassword(QStringLiteral("たろう"), QStringLiteral("pw")),
             QStringLiteral("「たろう」という名前の人は登録されていません。"));
    QCOMPARE(bytesOf(elsewhere), QByteArray("keep\r\n"));
    QVERIFY(QFileInfo(user(QStringLiteral("たろう.psw"))).isSymLink());
}

void TestPassReset::commandRefusals_data()
{
    QTest::addColumn<QString>("room"); // relative to the temporary folder
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("refusal"); // %1: the temporary folder
    QTest::addColumn<QByteArray>("file"); // たろう's password file afterwards
    QTest::newRow("set") << QString() << QStringLiteral("たろう") << QStringLiteral("abc") << QString() << QByteArray("abc\r\n");
    QTest::newRow("empty") << QString() << QStringLiteral("たろう") << QString() << QStringLiteral("パスワードが空です。")
                           << QByteArray("old\r\n");
    QTest::newRow("too long") << QString() << QStringLiteral("たろう") << QStringLiteral("a").repeated(32768)
                              << QStringLiteral("パスワードが長すぎます（32767文字まで）。何も変えていません。") << QByteArray("old\r\n");
    QTest::newRow("longest the box takes") << QString() << QStringLiteral("たろう") << QStringLiteral("a").repeated(32767)
                                           << QString() << QByteArray("a").repeated(32767) + "\r\n";
    QTest::newRow("nobody") << QString() << QStringLiteral("じろう") << QStringLiteral("abc")
                            << QStringLiteral("「じろう」という名前の人は登録されていません。 何も変えていません。") << QByteArray("old\r\n");
    QTest::newRow("no classroom") << QStringLiteral("user") << QStringLiteral("たろう") << QStringLiteral("abc")
                                  << QStringLiteral("教室フォルダではありません（user フォルダがありません）: %1/user") << QByteArray("old\r\n");
}

void TestPassReset::commandRefusals()
{
    QFETCH(QString, room);
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, refusal);
    QFETCH(QByteArray, file);
    // The command names its room; the one in use stays as it was.
    Classroom::use(Classroom());
    const QString dir = room.isEmpty() ? dir_->path() : dir_->path() + QLatin1Char('/') + room;
    QCOMPARE(classroom::setPassword(dir, name, password), refusal.contains(QStringLiteral("%1")) ? refusal.arg(dir_->path()) : refusal);
    QCOMPARE(bytesOf(user(QStringLiteral("たろう.psw"))), file);
    QVERIFY(Classroom::inUse().path(QStringLiteral("x")).isEmpty());
}

QTEST_GUILESS_MAIN(TestPassReset)
#include "tst_core_passreset.moc"
