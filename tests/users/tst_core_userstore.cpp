// The user store without a display: which names and passwords are refused, the exact bytes of a
// registration, the folder-order listing, password matching, appending, reading and deleting.
#include "base/errors.h"
#include "base/classroom.h"
#include "platform/textfile.h"
#include "users/names.h"
#include "users/userstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <QLockFile>

#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kEmpty = QStringLiteral("なまえとパスワードをいれてください");

// The header line as Microsoft's cp932 writes it, with its line end.
const QByteArray kHeaderBytes = QByteArray::fromHex("8b892f92692c93fa95742c90b389f090942c957390b389f090942c8d8794db") + "\r\n";

// The pace file's header: 日時,級/段,間隔ms, おくれms and ずれms of questions 1 to 10, 判定.
QByteArray paceHeaderBytes()
{
    QByteArray h = "\x93\xfa\x8e\x9e,\x8b\x89/\x92i,\x8a\xd4\x8a\x75ms";
    for (const char *k : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})
        h += QByteArray(",") + k + "\x96\xe2\x96\xda\x82\xa8\x82\xad\x82\xeams," + k + "\x96\xe2\x96\xda\x82\xb8\x82\xeams";
    return h + ",\x94\xbb\x92\xe8\r\n";
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(bytes);
}

// The entries of the user folder as the operating system lists them, by readdir(3).
QStringList readdirOrder()
{
    QStringList names;
    DIR *d = opendir("user");
    if (!d)
        return names;
    while (dirent *e = readdir(d)) {
        const QString n = QString::fromUtf8(e->d_name);
        if (n != QLatin1String(".") && n != QLatin1String(".."))
            names << n;
    }
    closedir(d);
    return names;
}
} // namespace

class TestUserStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void refusesBeforeWriting_data();
    void refusesBeforeWriting();
    void acceptsNames_data();
    void acceptsNames();
    void registrationBytes_data();
    void registrationBytes();
    void nameTakenKeepsHistory();
    void createsMissingFolder();
    void folderInTheWayIsAnIoError();
    void halfRegistrationRemoved();
    void orphanPasswordFileReplaced();
    void listsInFolderOrder();
    void listingEdges();
    void passwordMatching_data();
    void passwordMatching();
    void readPasswordMissingFile();
    void appendDrill();
    void readHistory();
    void deleteUser();

    void nothingVisibleRefused_data();
    void nothingVisibleRefused();
    void sameOnceBlanksDropped_data();
    void sameOnceBlanksDropped();
    void emptyPasswordFileIsDamage_data();
    void emptyPasswordFileIsDamage();
    void onlyRegularFilesInTheFolder();
    void linkedPasswordFileNeverWrittenThrough();
    void linkedFolderStillWorks();
    void masterPasswordFile_data();
    void masterPasswordFile();
    void otherInstanceFileKept();
    void lockSerialises_data();
    void lockSerialises();
    void lockLeftNoTrace();
    void lockNeverHidesTheReason();

private:
    QTemporaryDir *dir_ = nullptr;
    QString oldCwd_;
};

void TestUserStore::init()
{
    userstore::testing::setHook({});
    folderlock::testing::setLockTiming(300, 2000);
    oldCwd_ = QDir::currentPath();
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    QDir::setCurrent(dir_->path()); // for this test's own file names
    Classroom::use(Classroom(dir_->path()));
    QDir().mkpath(QStringLiteral("user"));
    writeBytes(QStringLiteral("user/master.psw"), "teacher\r\n");
}

void TestUserStore::cleanup()
{
    QDir::setCurrent(oldCwd_);
    delete dir_;
    dir_ = nullptr;
}

void TestUserStore::refusesBeforeWriting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("refusal"); // the exact text, or a part of it after '~'

    const QString abc = QStringLiteral("abc");
    QTest::newRow("empty name") << QString() << abc << kEmpty;
    QTest::newRow("empty password") << QStringLiteral("たろう") << QString() << kEmpty;
    QTest::newRow("both empty") << QString() << QString() << kEmpty;
    QTest::newRow("master") << QStringLiteral("master") << abc << QStringLiteral("「master」はなまえにつかえません");
    QTest::newRow("MASTER") << QStringLiteral("MASTER") << abc << QStringLiteral("「MASTER」はなまえにつかえません");
    QTest::newRow("Master") << QStringLiteral("Master") << abc << QStringLiteral("「Master」はなまえにつかえません");
    for (const char *c : {"/", "\\", "<", ">", ":", "\"", "|", "?", "*"}) {
        const QString ch = QString::fromLatin1(c);
        QTest::newRow(qPrintable(QStringLiteral("contains ") + ch))
            << QStringLiteral("た") + ch + QStringLiteral("ろう") << abc << QStringLiteral("なまえに「%1」はつかえません").arg(ch);
    }
    QTest::newRow("climbs out of the folder") << QStringLiteral("../escape") << abc << QStringLiteral("なまえに「/」はつかえません");
    QTest::newRow("tab") << QStringLiteral("た\tろう") << abc << QStringLiteral("なまえにつかえないもじがはいっています");
    QTest::newRow("line feed") << QStringLiteral("たろう\n") << abc << QStringLiteral("なまえにつかえないもじがはいっています");
    QTest::newRow("NUL") << QString(QChar(0)) + QStringLiteral("a") << abc << QStringLiteral("なまえにつかえないもじがはいっています");
    QTest::newRow("DEL") << QStringLiteral("a\x7f") << abc << QStringLiteral("なまえにつかえないもじがはいっています");
    QTest::newRow("dot") << QStringLiteral(".") << abc << QStringLiteral("なまえのさいごに「.」はつかえません");
    QTest::newRow("dot dot") << QStringLiteral("..") << abc << QStringLiteral("なまえのさいごに「.」はつかえません");
    QTest::newRow("trailing dot") << QStringLiteral("たろう.") << abc << QStringLiteral("なまえのさいごに「.」はつかえません");
    for (const char *dev : {"CON", "con", "Prn", "AUX", "nul", "COM1", "com9", "LPT1", "lpt9", "COM0", "NUL.txt", "con .a", "aux "}) {
        const QString n = QString::fromLatin1(dev);
        QTest::newRow(qPrintable(QStringLiteral("device ") + n)) << n << abc << QStringLiteral("「%1」はなまえにつかえません").arg(n);
    }
    QTest::newRow("device COM¹") << QStringLiteral("COM¹") << abc << QStringLiteral("なまえに「¹」はつかえません");
    QTest::newRow("name.dat of 256 bytes") << QString(252, QLatin1Char('a')) << abc << QStringLiteral("なまえがながすぎます");
    QTest::newRow("86 hiragana: 262 bytes") << QString(86, QChar(0x3042)) << abc << QStringLiteral("なまえがながすぎます");
    QTest::newRow("hangul") << QStringLiteral("한국") << abc << QStringLiteral("なまえに「한」はつかえません");
    QTest::newRow("e acute") << QStringLiteral("café") << abc << QStringLiteral("なまえに「é」はつかえません");
    QTest::newRow("emoji") << QStringLiteral("た😀") << abc << QStringLiteral("なまえにつかえないもじがはいっています");
    QTest::newRow("password with a line end") << QStringLiteral("たろう") << QStringLiteral("ab\r\ncd") << QStringLiteral("パスワードにつかえないもじがはいっています");
    QTest::newRow("password with a tab") << QStringLiteral("たろう") << QStringLiteral("ab\tcd") << QStringLiteral("パスワードにつかえないもじがはいっています");
    QTest::newRow("password outside cp932") << QStringLiteral("たろう") << QStringLiteral("パス😀") << QStringLiteral("パスワードにつかえないもじがはいっています");
}

void TestUserStore::refusesBeforeWriting()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, refusal);
    const QStringList before = QDir(QStringLiteral(".")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) + readdirOrder();
    QCOMPARE(userstore::checkRegistration(name, password), refusal);
    QCOMPARE(userstore::createUser(name, password), refusal);
    const QStringList after = QDir(QStringLiteral(".")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) + readdirOrder();
    QCOMPARE(after, before);
    QCOMPARE(readBytes(QStringLiteral("user/master.psw")), QByteArray("teacher\r\n"));
}

void TestUserStore::acceptsNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("hiragana") << QStringLiteral("たろう");
    QTest::newRow("blanks around") << QStringLiteral(" たろう ");
    QTest::newRow("ideographic blank inside") << QStringLiteral("やまだ　たろう");
    QTest::newRow("starts with a dot") << QStringLiteral(".taro");
    QTest::newRow("dot inside") << QStringLiteral("taro.2");
    QTest::newRow("longer than a device") << QStringLiteral("CONSOLE");
    QTest::newRow("COM10") << QStringLiteral("COM10");
    QTest::newRow("masters") << QStringLiteral("masters");
    QTest::newRow("full-width master") << QStringLiteral("ｍａｓｔｅｒ");
    QTest::newRow("wave dash") << QStringLiteral("～");
    QTest::newRow("name.dat of 255 bytes") << QString(251, QLatin1Char('a'));
    QTest::newRow("83 kanji: 253 bytes") << QString(83, QChar(0x6F22));
}

void TestUserStore::acceptsNames()
{
    QFETCH(QString, name);
    QCOMPARE(names::checkName(name), QString());
    QCOMPARE(userstore::createUser(name, QStringLiteral("pw")), QString());
    QCOMPARE(readBytes(userstore::recordPath(name)), kHeaderBytes);
    QCOMPARE(readBytes(userstore::passwordPath(name)), QByteArray("pw\r\n"));
    QCOMPARE(userstore::listUsers(), QStringList{name});
}

void TestUserStore::registrationBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("utf8FileStem");
    QTest::addColumn<QByteArray>("passwordBytes");
    QTest::newRow("たろう / abc") << QStringLiteral("たろう") << QStringLiteral("abc") << QByteArray("\xe3\x81\x9f\xe3\x82\x8d\xe3\x81\x86") << QByteArray("abc\r\n");
    QTest::newRow("blank inside the name, blank-only password") << QStringLiteral("a b") << QStringLiteral("  ") << QByteArray("a b") << QByteArray("  \r\n");
    QTest::newRow("kana password") << QStringLiteral("Hanako") << QStringLiteral("はな") << QByteArray("Hanako") << QByteArray("\x82\xcd\x82\xc8\r\n");
}

void TestUserStore::registrationBytes()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QByteArray, utf8FileStem);
    QFETCH(QByteArray, passwordBytes);
    QCOMPARE(userstore::createUser(name, password), QString());
    const std::string stem = "user/" + utf8FileStem.toStdString();
    QVERIFY(std::filesystem::exists(stem + ".dat"));
    QVERIFY(std::filesystem::exists(stem + ".psw"));
    QCOMPARE(readBytes(userstore::recordPath(name)), kHeaderBytes);
    QCOMPARE(readBytes(userstore::passwordPath(name)), passwordBytes);
    QCOMPARE(userstore::readPassword(name), password);
    QCOMPARE(userstore::listUsers(), QStringList{name});
}

void TestUserStore::nameTakenKeepsHistory()
{
    QCOMPARE(userstore::createUser(QStringLiteral("taro"), QStringLiteral("abc")), QString());
    userstore::appendDrill(QStringLiteral("taro"), QStringLiteral("１０級,2024/5/07,9,1,合格"));
    const QByteArray history = readBytes(QStringLiteral("user/taro.dat"));
    for (const QString &again : {QStringLiteral("taro"), QStringLiteral("TARO"), QStringLiteral("Taro")}) {
        const QString refusal = userstore::createUser(again, QStringLiteral("other"));
        QCOMPARE(refusal, QStringLiteral("「taro」というなまえはもうつかわれています。\nほかのなまえにしてください"));
        QCOMPARE(userstore::userTaking(again), QStringLiteral("taro"));
    }
    QCOMPARE(readBytes(QStringLiteral("user/taro.dat")), history);
    QCOMPARE(readBytes(QStringLiteral("user/taro.psw")), QByteArray("abc\r\n"));
    QCOMPARE(userstore::listUsers(), QStringList{QStringLiteral("taro")});
    QVERIFY(!userstore::isTaken(QStringLiteral("taro2")));
}

void TestUserStore::createsMissingFolder()
{
    QVERIFY(QDir(QStringLiteral("user")).removeRecursively());
    QCOMPARE(userstore::listUsers(), QStringList());
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("abc")), QString());
    QCOMPARE(readBytes(QStringLiteral("user/たろう.dat")), kHeaderBytes);
    QCOMPARE(userstore::listUsers(), QStringList{QStringLiteral("たろう")});
}

void TestUserStore::folderInTheWayIsAnIoError()
{
    QVERIFY(QDir(QStringLiteral("user")).removeRecursively());
    writeBytes(QStringLiteral("user"), "not a folder");
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::createUser(QStringLiteral("たろう"), QStringLiteral("abc")));
    QCOMPARE(readBytes(QStringLiteral("user")), QByteArray("not a folder"));
}

void TestUserStore::halfRegistrationRemoved()
{
    // The password file cannot be written: a folder stands in its place.
    QVERIFY(QDir().mkpath(QStringLiteral("user/たろう.psw")));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::createUser(QStringLiteral("たろう"), QStringLiteral("abc")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("user/たろう.dat")));
    QCOMPARE(userstore::listUsers(), QStringList());
}

void TestUserStore::orphanPasswordFileReplaced()
{
    // A deletion that removed the history but failed on the password file leaves no user behind;
    // the name is free again and the old password goes.
    writeBytes(QStringLiteral("user/たろう.psw"), "old\r\n");
    QVERIFY(!userstore::isTaken(QStringLiteral("たろう")));
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("new")), QString());
    QCOMPARE(readBytes(QStringLiteral("user/たろう.psw")), QByteArray("new\r\n"));
}

void TestUserStore::listsInFolderOrder()
{
    const QStringList names = {QStringLiteral("たろう"), QStringLiteral("はなこ"), QStringLiteral("Aki"), QStringLiteral("zeta"),
                               QStringLiteral(" ken2 "), QStringLiteral("一郎"), QStringLiteral("b"), QStringLiteral("Mika"),
                               QStringLiteral("さくら"), QStringLiteral("ken"), QStringLiteral("ゆい"), QStringLiteral("0")};
    for (const QString &n : names)
        QCOMPARE(userstore::createUser(n, QStringLiteral("pw")), QString());
    // Entries that are not users.
    writeBytes(QStringLiteral("user/loose.psw"), "x\r\n");
    writeBytes(QStringLiteral("user/upper.DAT"), "");
    writeBytes(QStringLiteral("user/notes.dat.txt"), "");
    writeBytes(QStringLiteral("user/master.dat"), "");
    QVERIFY(QDir().mkpath(QStringLiteral("user/folder.dat")));

    QStringList expected;
    for (const QString &entry : readdirOrder())
        if (entry.endsWith(QLatin1String(".dat")) && QFileInfo(QStringLiteral("user/") + entry).isFile() && entry != QLatin1String("master.dat"))
            expected << entry.chopped(4);
    QCOMPARE(expected.size(), names.size());
    QCOMPARE(userstore::listUsers(), expected);

    // So that the check means something: the folder's order is not the sorted one here.
    QStringList sorted = expected;
    sorted.sort();
    if (sorted == expected)
        QSKIP("this file system lists the folder sorted; folder order cannot be told from sorting");
    QVERIFY(userstore::listUsers() != sorted);
}

void TestUserStore::listingEdges()
{
    QCOMPARE(userstore::listUsers(), QStringList()); // only master.psw
    QVERIFY(QDir(QStringLiteral("user")).removeRecursively());
    QCOMPARE(userstore::listUsers(), QStringList()); // no folder at all
}

void TestUserStore::passwordMatching_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matches");
    QTest::newRow("right") << QStringLiteral("abc") << QStringLiteral("abc") << true;
    QTest::newRow("letter case") << QStringLiteral("abc") << QStringLiteral("ABC") << false;
    QTest::newRow("trailing blank typed") << QStringLiteral("abc") << QStringLiteral("abc ") << false;
    QTest::newRow("trailing blank stored") << QStringLiteral("abc ") << QStringLiteral("abc") << false;
    QTest::newRow("blank-only") << QStringLiteral("  ") << QStringLiteral("  ") << true;
    QTest::newRow("full-width against half-width") << QStringLiteral("abc") << QStringLiteral("ａｂｃ") << false;
    QTest::newRow("empty typed") << QStringLiteral("abc") << QString() << false;
    QTest::newRow("kana") << QStringLiteral("はな") << QStringLiteral("はな") << true;
    QTest::newRow("outside cp932 never matches") << QStringLiteral("?") << QStringLiteral("😀") << false;
    QTest::newRow("undecodable stored never matches") << QString(QChar(0xFFFD)) << QString(QChar(0xFFFD)) << false;
}

void TestUserStore::passwordMatching()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, matches);
    QCOMPARE(userstore::passwordMatches(stored, typed), matches);
}

void TestUserStore::readPasswordMissingFile()
{
    writeBytes(QStringLiteral("user/たろう.dat"), kHeaderBytes);
    QCOMPARE(userstore::listUsers(), QStringList{QStringLiteral("たろう")});
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::readPassword(QStringLiteral("たろう")));
    // Only line 1 counts.
    writeBytes(QStringLiteral("user/たろう.psw"), "abc\r\nxyz\r\n");
    QCOMPARE(userstore::readPassword(QStringLiteral("たろう")), QStringLiteral("abc"));
}

void TestUserStore::appendDrill()
{
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("abc")), QString());
    userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("１０級,2024/5/07,9,1,合格"));
    userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("初段,2024/12/31,3,7,不合格"));
    const QByteArray expected = kHeaderBytes + textfile::encode(QStringLiteral("１０級,2024/5/07,9,1,合格")) + "\r\n"
                              + textfile::encode(QStringLiteral("初段,2024/12/31,3,7,不合格")) + "\r\n";
    QCOMPARE(readBytes(QStringLiteral("user/たろう.dat")), expected);
    QVERIFY(expected.startsWith(kHeaderBytes + QByteArray::fromHex("8250824f8b89"))); // "１０級" in cp932

    // A user whose history has gone: nothing is created behind the store's back.
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::appendDrill(QStringLiteral("はなこ"), QStringLiteral("１級,2024/1/01,8,2,合格")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("user/はなこ.dat")));

    // The pace line: its file begins with its header; none for a child deleted since the drill's line.
    userstore::appendPace(QStringLiteral("たろう"), QStringLiteral("p1"));
    QCOMPARE(readBytes(QStringLiteral("user/たろう.pace")), paceHeaderBytes() + "p1\r\n");
    userstore::appendPace(QStringLiteral("はなこ"), QStringLiteral("p1"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("user/はなこ.pace")));
}

void TestUserStore::readHistory()
{
    writeBytes(QStringLiteral("user/たろう.dat"), kHeaderBytes + textfile::encode(QStringLiteral("１級,2024/1/01,8,2,合格")) + "\r\n"
                                                   + textfile::encode(QStringLiteral("２級,2024/1/02,2,8,不合格")) + "\r\n");
    QCOMPARE(userstore::readHistory(QStringLiteral("たろう")),
             (QStringList{userstore::recordHeader(), QStringLiteral("１級,2024/1/01,8,2,合格"), QStringLiteral("２級,2024/1/02,2,8,不合格")}));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::readHistory(QStringLiteral("はなこ")));
}

void TestUserStore::deleteUser()
{
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("abc")), QString());
    QCOMPARE(userstore::createUser(QStringLiteral("はなこ"), QStringLiteral("abc")), QString());
    userstore::deleteUser(QStringLiteral("たろう"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("user/たろう.dat")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("user/たろう.psw")));
    QCOMPARE(userstore::listUsers(), QStringList{QStringLiteral("はなこ")});

    // A missing password file, or no files at all: ignored.
    QFile::remove(QStringLiteral("user/はなこ.psw"));
    userstore::deleteUser(QStringLiteral("はなこ"));
    userstore::deleteUser(QStringLiteral("だれでもない"));
    QCOMPARE(userstore::listUsers(), QStringList());

    // Whatever name it is given, the master password stays: such names are refused.
    writeBytes(QStringLiteral("user/Master.dat"), kHeaderBytes);
    for (const QString &n : {QStringLiteral("master"), QStringLiteral("Master"), QStringLiteral("../user/master")})
        QCOMPARE(userstore::deleteUser(n).outcome, userstore::DeleteResult::Outcome::Kept);
    QVERIFY(QFileInfo::exists(QStringLiteral("user/Master.dat")));
    QCOMPARE(readBytes(QStringLiteral("user/master.psw")), QByteArray("teacher\r\n"));
}

void TestUserStore::nothingVisibleRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("one blank") << QStringLiteral(" ");
    QTest::newRow("blanks") << QStringLiteral("   ");
    QTest::newRow("full-width blank") << QStringLiteral("　");
    QTest::newRow("half- and full-width blanks") << QStringLiteral(" 　 　");
}

void TestUserStore::nothingVisibleRefused()
{
    // Such a name shows as an empty row in every list.
    QFETCH(QString, name);
    QCOMPARE(names::checkName(name), QStringLiteral("なまえにもじをいれてください"));
    QCOMPARE(userstore::createUser(name, QStringLiteral("pw")), QStringLiteral("なまえにもじをいれてください"));
    QCOMPARE(readdirOrder(), QStringList{QStringLiteral("master.psw")});
}

void TestUserStore::sameOnceBlanksDropped_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");
    QTest::newRow("blank after") << "taro" << "taro " << true;
    QTest::newRow("blank before") << "taro" << " taro" << true;
    QTest::newRow("full-width blanks around") << "taro" << "　taro　" << true;
    QTest::newRow("blanks and letter case") << "taro" << " TARO " << true;
    QTest::newRow("the other way round") << " taro" << "taro" << true;
    QTest::newRow("blank inside is another name") << "やまだたろう" << "やまだ　たろう" << false;
    QTest::newRow("blank inside, both ways") << "やまだ　たろう" << "やまだたろう" << false;
    QTest::newRow("a longer name") << "taro" << "taro2" << false;
}

void TestUserStore::sameOnceBlanksDropped()
{
    QFETCH(QString, existing);
    QFETCH(QString, name);
    QFETCH(bool, taken);
    QCOMPARE(userstore::createUser(existing, QStringLiteral("first")), QString());
    QCOMPARE(userstore::userTaking(name), taken ? existing : QString());
    const QString refusal = userstore::createUser(name, QStringLiteral("second"));
    if (taken) {
        QCOMPARE(refusal, QStringLiteral("「%1」というなまえはもうつかわれています。\nほかのなまえにしてください").arg(existing));
        QCOMPARE(userstore::listUsers(), QStringList{existing});
    } else {
        QCOMPARE(refusal, QString());
        QCOMPARE(userstore::listUsers().size(), 2);
    }
    QCOMPARE(readBytes(userstore::passwordPath(existing)), QByteArray("first\r\n"));
}

void TestUserStore::emptyPasswordFileIsDamage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only CR LF") << QByteArray("\r\n");
    QTest::newRow("empty first line") << QByteArray("\r\nabc\r\n");
    QTest::newRow("only NULs") << QByteArray("\0\0\0\0", 4);
    // Registration refuses control characters and stores only cp932 characters.
    QTest::newRow("bytes that are no character") << QByteArray("pw\xfd\r\n");
    QTest::newRow("a pair that is no character") << QByteArray("pw\x85\x40\r\n");
    QTest::newRow("a tab inside") << QByteArray("p\tw\r\n");
}

void TestUserStore::emptyPasswordFileIsDamage()
{
    // Registration never stores such a password: an empty one would let an empty typing in, one
    // with a character that cannot be typed would never match and only say "wrong password".
    QFETCH(QByteArray, bytes);
    writeBytes(QStringLiteral("user/たろう.dat"), kHeaderBytes);
    writeBytes(QStringLiteral("user/たろう.psw"), bytes);
    try {
        userstore::readPassword(QStringLiteral("たろう"));
        QFAIL("a damaged password file was read as a password");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.path(), dir_->path() + QStringLiteral("/user/たろう.psw"));
        QCOMPARE(e.reason(), pz::reason::damaged());
        QVERIFY(e.text().contains(QStringLiteral("たろう.psw")));
    }
}

void TestUserStore::onlyRegularFilesInTheFolder()
{
    // user/evil.dat as a link to a file elsewhere: not a user, never read, never appended to.
    QTemporaryDir outside;
    const QString target = outside.filePath(QStringLiteral("diary.txt"));
    writeBytes(target, "private\r\n");
    QVERIFY(QFile::link(target, QStringLiteral("user/evil.dat")));
    QVERIFY(QFile::link(target, QStringLiteral("user/evil.psw")));
    QVERIFY(::mkfifo("user/fifo.dat", 0644) == 0);
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("pw")), QString());

    QCOMPARE(userstore::listUsers(), QStringList{QStringLiteral("たろう")});
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::appendDrill(QStringLiteral("evil"), QStringLiteral("１級,2024/1/01,8,2,合格")));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::readHistory(QStringLiteral("evil")));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::readPassword(QStringLiteral("evil")));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::readHistory(QStringLiteral("fifo")));
    QCOMPARE(readBytes(target), QByteArray("private\r\n"));
}

void TestUserStore::linkedPasswordFileNeverWrittenThrough()
{
    // A password file left as a link to elsewhere: registration must not write the password there.
    QTemporaryDir outside;
    const QString target = outside.filePath(QStringLiteral("notes.txt"));
    writeBytes(target, "notes\r\n");
    QVERIFY(QFile::link(target, QStringLiteral("user/じろう.psw")));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::createUser(QStringLiteral("じろう"), QStringLiteral("pw")));
    QCOMPARE(readBytes(target), QByteArray("notes\r\n"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("user/じろう.dat")));
    QCOMPARE(userstore::listUsers(), QStringList());
}

void TestUserStore::linkedFolderStillWorks()
{
    // The user folder itself may be a link (a classroom folder on another disk).
    QTemporaryDir elsewhere;
    QVERIFY(QDir(QStringLiteral("user")).removeRecursively());
    QVERIFY(QFile::link(elsewhere.path(), QStringLiteral("user")));
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("pw")), QString());
    userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("１級,2024/1/01,8,2,合格"));
    QCOMPARE(userstore::listUsers(), QStringList{QStringLiteral("たろう")});
    QCOMPARE(userstore::readHistory(QStringLiteral("たろう")).size(), 2);
    QCOMPARE(userstore::readPassword(QStringLiteral("たろう")), QStringLiteral("pw"));
}

void TestUserStore::masterPasswordFile_data()
{
    // The file's bytes (null: no file; "link:" and "dangling:" put a link there, to a file outside
    // holding the rest or to nothing), then the password read, or the reason of the refusal, and
    // whether a new password may be written in its place.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("writable");
    const QString none, damaged = pz::reason::damaged(), link = pz::reason::isLink();
    QTest::newRow("set") << QByteArray("teacher\r\n") << "teacher" << none << true;
    QTest::newRow("no file: not set") << QByteArray() << "" << none << true;
    QTest::newRow("0 bytes: not set") << QByteArray("") << "" << none << true;
    QTest::newRow("empty line 1: not set") << QByteArray("\r\n\0\0garbage", 11) << "" << none << true;
    QTest::newRow("eight NULs") << QByteArray(8, '\0') << none << damaged << true;
    QTest::newRow("a byte that is no character") << QByteArray("\x81\r\n") << none << damaged << true;
    QTest::newRow("the same without a line end") << QByteArray("\x81") << none << damaged << true;
    QTest::newRow("a control character") << QByteArray("te\x01" "ach\r\n") << none << damaged << true;
    QTest::newRow("a CR inside") << QByteArray("te\rach\r\n") << none << damaged << true;
    QTest::newRow("link to a file outside") << QByteArray("link:\r\nnotes\r\n") << none << link << false;
    QTest::newRow("dangling link") << QByteArray("dangling:") << none << link << false;
}

void TestUserStore::masterPasswordFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, password);
    QFETCH(QString, reason);
    QFETCH(bool, writable);
    const QString master = QStringLiteral("user/master.psw");
    QTemporaryDir outside;
    const QString target = outside.filePath(QStringLiteral("notes.txt"));
    QVERIFY(QFile::remove(master));
    const bool isLink = file.startsWith("link:") || file.startsWith("dangling:");
    if (file.startsWith("link:"))
        writeBytes(target, file.mid(5));
    if (isLink)
        QVERIFY(QFile::link(target, master));
    else if (!file.isNull())
        writeBytes(master, file);
    const QByteArray targetBefore = readBytes(target);

    for (auto missing : {userstore::IfMissing::NotSet, userstore::IfMissing::Fail}) {
        try {
            QCOMPARE(userstore::readMasterPassword(missing), password);
            QVERIFY2(reason.isNull() && (!file.isNull() || missing == userstore::IfMissing::NotSet), "read as a password");
        } catch (const pz::IoError &e) {
            QCOMPARE(e.path(), dir_->path() + QLatin1Char('/') + master);
            QCOMPARE(e.reason(), file.isNull() ? pz::reasonFor(ENOENT) : reason);
        }
    }
    try {
        userstore::writeMasterPassword(QStringLiteral("sensei"));
        QVERIFY2(writable, "written through a link");
        QCOMPARE(readBytes(master), QByteArray("sensei\r\n"));
    } catch (const pz::IoError &e) {
        QVERIFY(!writable);
        QCOMPARE(e.reason(), pz::reason::isLink());
        QVERIFY(QFileInfo(master).isSymLink());
    }
    QCOMPARE(readBytes(target), targetBefore); // "<missing>" for the dangling link: nothing made there
}

void TestUserStore::otherInstanceFileKept()
{
    // Another program (one that does not take the folder's lock) creates hanako.dat between the
    // name check and the creation: its file is not ours to remove.
    userstore::testing::setHook([](const char *step) {
        if (qstrcmp(step, "registering") == 0)
            writeBytes(QStringLiteral("user/hanako.dat"), kHeaderBytes + "theirs\r\n");
    });
    QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::createUser(QStringLiteral("hanako"), QStringLiteral("mine")));
    userstore::testing::setHook({});
    QCOMPARE(readBytes(QStringLiteral("user/hanako.dat")), kHeaderBytes + "theirs\r\n");
    QVERIFY(!QFileInfo::exists(QStringLiteral("user/hanako.psw")));
}

namespace {
// A lock file as another program leaves it: pid, program name, host, and with a boot id this
// machine's id and that boot id; aged by ageMs.
void plantLock(qint64 pid, const QByteArray &host, int ageMs, const QByteArray &boot = {})
{
    QByteArray stamp = QByteArray::number(pid) + "\nother-program\n" + host + "\n";
    if (!boot.isEmpty())
        stamp += QSysInfo::machineUniqueId() + '\n' + boot + '\n';
    writeBytes(folderlock::lockPath(userstore::folder()), stamp);
    const QDateTime when = QDateTime::currentDateTimeUtc().addMSecs(-ageMs);
    QFile f(folderlock::lockPath(userstore::folder()));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

pid_t deadPid()
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}
} // namespace

void TestUserStore::lockSerialises_data()
{
    QTest::addColumn<QString>("holder");
    QTest::addColumn<bool>("waitsInVain");
    QTest::newRow("held here by a live program") << "live" << true;
    QTest::newRow("fresh, from another computer") << "remote fresh" << true;
    QTest::newRow("crashed program on this computer") << "dead" << false;
    QTest::newRow("abandoned long ago on another computer") << "remote old" << false;
    // Its clock an hour ahead of ours: the lock is young by the share's clock, which is all that
    // counts.
    QTest::newRow("stamped an hour ahead on another computer") << "remote ahead" << true;
    // A room installed from one image repeats host names and machine ids: a pid from another boot
    // says nothing about this computer's programs.
    QTest::newRow("fresh, from a computer of the same name and image") << "clone" << true;
}

void TestUserStore::lockSerialises()
{
    QFETCH(QString, holder);
    QFETCH(bool, waitsInVain);
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("pw")), QString());
    const QByteArray history = readBytes(QStringLiteral("user/たろう.dat"));
    QLockFile live(folderlock::lockPath(userstore::folder()));
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    if (holder == QLatin1String("live"))
        QVERIFY(live.tryLock(0));
    else if (holder == QLatin1String("remote fresh"))
        plantLock(4242, "another-pc-" + QByteArray(host), 0);
    else if (holder == QLatin1String("dead"))
        plantLock(deadPid(), QByteArray(host), 0);
    else if (holder == QLatin1String("clone"))
        plantLock(deadPid(), QByteArray(host), 0, "another-boot");
    else if (holder == QLatin1String("remote ahead"))
        plantLock(4242, "another-pc-" + QByteArray(host), -3600000);
    else
        plantLock(4242, "another-pc-" + QByteArray(host), 60000);

    const auto tryAll = [] {
        userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("１級,2024/1/01,8,2,合格"));
    };
    if (waitsInVain) {
        try {
            tryAll();
            QFAIL("appended while another program held the folder");
        } catch (const pz::IoError &e) {
            QCOMPARE(e.reason(), pz::reason::busy());
        }
        QCOMPARE(readBytes(QStringLiteral("user/たろう.dat")), history);
        QVERIFY_THROWS_EXCEPTION(pz::IoError, userstore::createUser(QStringLiteral("はなこ"), QStringLiteral("pw")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("user/はなこ.dat")));
    } else {
        tryAll();
        QCOMPARE(userstore::readHistory(QStringLiteral("たろう")).size(), 2);
    }
}

void TestUserStore::lockLeftNoTrace()
{
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("pw")), QString());
    userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("１級,2024/1/01,8,2,合格"));
    QCOMPARE(readdirOrder().size(), 3);
    QVERIFY(!QFileInfo::exists(folderlock::lockPath(userstore::folder())));
}

void TestUserStore::lockNeverHidesTheReason()
{
    // No folder to lock: the child hears that the file is missing, not that the folder is busy.
    QVERIFY(QDir(QStringLiteral("user")).removeRecursively());
    try {
        userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("１級,2024/1/01,8,2,合格"));
        QFAIL("appended without a history file");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.reason(), pz::reasonFor(ENOENT));
        QCOMPARE(e.path(), dir_->path() + QStringLiteral("/user/たろう.dat"));
    }
}

QTEST_GUILESS_MAIN(TestUserStore)
#include "tst_core_userstore.moc"
