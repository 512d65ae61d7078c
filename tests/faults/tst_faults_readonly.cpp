// A classroom folder the user may read but not write (a teacher's share mounted read-only, files
// of another account): every refusal is said in Japanese naming the file, nothing is left half
// written, and what may be written still is. The store runs as "nobody" when the test runs as
// root (root may write anything), as the test's own user otherwise.
#include "faultsupport.h"
#include "support/testmain.h"

#include "platform/textfile.h"

#include <QTemporaryDir>

#include <sys/stat.h>

using faults::Helper;
using faults::readBytes;

namespace {
const QString kDenied = QStringLiteral("アクセスが許可されていません。");

void setMode(const QString &path, int mode) { QVERIFY2(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0, qPrintable(path)); }

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}
} // namespace

class TestReadOnly : public QObject {
    Q_OBJECT
private slots:
    void refusedInJapanese_data();
    void refusedInJapanese();
};

void TestReadOnly::refusedInJapanese_data()
{
    QTest::addColumn<int>("userMode");    // the user folder
    QTest::addColumn<int>("historyMode"); // user/taro.dat
    QTest::addColumn<int>("passwordMode"); // user/taro.psw
    QTest::addColumn<int>("setteiMode");  // the settings folder
    QTest::addColumn<int>("settingsMode"); // settei/settei.dat
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("result");

    const QStringList appendTaro{"append", "taro", "１級,2024/1/01,8,2,合格"};
    QTest::newRow("register in a read-only user folder") << 0555 << 0644 << 0644 << 0755 << 0644
        << QStringList{"register", "hanako", "pw"} << QStringLiteral("error ファイル user/hanako.dat を使えません。\n") + kDenied;
    QTest::newRow("append to a read-only history") << 0755 << 0444 << 0644 << 0755 << 0644
        << appendTaro << QStringLiteral("error ファイル user/taro.dat を使えません。\n") + kDenied;
    QTest::newRow("append to a writable history in a read-only folder") << 0555 << 0666 << 0644 << 0755 << 0644
        << appendTaro << QStringLiteral("ok");
    QTest::newRow("password file not readable") << 0755 << 0644 << 0600 << 0755 << 0644
        << QStringList{"read-password", "taro"} << QStringLiteral("error ファイル user/taro.psw を使えません。\n") + kDenied;
    QTest::newRow("history not readable") << 0755 << 0600 << 0644 << 0755 << 0644
        << QStringList{"read-history", "taro"} << QStringLiteral("error ファイル user/taro.dat を使えません。\n") + kDenied;
    QTest::newRow("settings not readable") << 0755 << 0644 << 0644 << 0755 << 0600
        << QStringList{"grade", "10"} << QStringLiteral("error ファイル settei/settei.dat を使えません。\n") + kDenied;
    QTest::newRow("save settings in a read-only settings folder") << 0755 << 0644 << 0644 << 0555 << 0666
        << QStringList{"save-settings"} << QStringLiteral("error ファイル settei/settei.dat を使えません。\n") + kDenied;
    // The folder would allow the rename, the file itself says no.
    QTest::newRow("save over a write-protected settings file") << 0755 << 0644 << 0644 << 0777 << 0444
        << QStringList{"save-settings"} << QStringLiteral("error ファイル settei/settei.dat を使えません。\n") + kDenied;
    QTest::newRow("read-only folders are still read") << 0555 << 0444 << 0444 << 0555 << 0444
        << QStringList{"read-password", "taro"} << QStringLiteral("ok pw");
}

void TestReadOnly::refusedInJapanese()
{
    QFETCH(int, userMode);
    QFETCH(int, historyMode);
    QFETCH(int, passwordMode);
    QFETCH(int, setteiMode);
    QFETCH(int, settingsMode);
    QFETCH(QStringList, command);
    QFETCH(QString, result);

    QTemporaryDir dir;
    setMode(dir.path(), 0755); // nobody has to get in
    const auto path = [&dir](const char *rel) { return dir.filePath(QString::fromLatin1(rel)); };
    faults::writeBytes(path("user/master.psw"), "teacher\r\n");
    faults::writeBytes(path("user/taro.dat"), faults::headerBytes());
    faults::writeBytes(path("user/taro.psw"), "pw\r\n");
    faults::writeBytes(path("settei/settei.dat"), "9\r\n9\r\n9\r\n");
    setMode(path("user/taro.dat"), historyMode);
    setMode(path("user/taro.psw"), passwordMode);
    setMode(path("settei/settei.dat"), settingsMode);
    setMode(path("user"), userMode);
    setMode(path("settei"), setteiMode);
    const QStringList userBefore = entries(path("user")), setteiBefore = entries(path("settei"));

    Helper h(dir.path(), command, faults::isRoot() ? QStringLiteral("nobody") : QString());
    const QString line = h.line();
    QVERIFY2(h.finished(), "the store did not finish");
    QCOMPARE(line, result);
    QCOMPARE(h.exitCode(), result.startsWith(QLatin1String("ok")) ? 0 : 2);

    // Nothing half made or left behind: the folders hold what they held, the files too (unless
    // the append was allowed).
    QCOMPARE(entries(path("user")), userBefore);
    QCOMPARE(entries(path("settei")), setteiBefore);
    QCOMPARE(readBytes(path("settei/settei.dat")), QByteArray("9\r\n9\r\n9\r\n"));
    if (line != QLatin1String("ok"))
        QCOMPARE(readBytes(path("user/taro.dat")), faults::headerBytes());
    setMode(path("user"), 0755);
    setMode(path("settei"), 0755);
}

PZ_GUI_TEST_MAIN(TestReadOnly)
#include "tst_faults_readonly.moc"
