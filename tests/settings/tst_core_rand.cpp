// The grade parameters in settei/settei.dat and their accessors.
#include "base/errors.h"
#include "base/classroom.h"
#include "settings/rand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestRand : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldCwd;

    void writeSettings(const QStringList &lines, const QByteArray &end = "\r\n")
    {
        QFile f(QStringLiteral("settei/settei.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const QString &l : lines)
            f.write(l.toLatin1() + end);
    }
    static QStringList withLine(int lineNo, const QString &text)
    {
        QStringList l = settings::defaultSettingsLines();
        l[lineNo - 1] = text;
        return l;
    }

private slots:
    void initTestCase()
    {
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Classroom::use(Classroom(dir.path()));
        QDir().mkpath(QStringLiteral("settei"));
    }
    void cleanupTestCase() { QDir::setCurrent(oldCwd); }

    void installedFileIsTheDefaults();
    void defaults_data();
    void defaults();
    void blocksAndNames_data();
    void blocksAndNames();
    void shortFile_data();
    void shortFile();
    void linesAfterTheSixtiethIgnored();
    void conversions_data();
    void conversions();
    void triedConversions_data();
    void triedConversions();
    void changeSeenAtNextCall();
    void missingFileIsIoError();
    void errorsSayWhere_data();
    void errorsSayWhere();
    void hugeFileReadOnlyAsFarAsNeeded();
};

void TestRand::installedFileIsTheDefaults()
{
    QFile f(QStringLiteral(PZ_ASSETS "/settei/settei.dat"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray expected;
    for (const QString &l : settings::defaultSettingsLines())
        expected += l.toLatin1() + "\r\n";
    QCOMPARE(f.readAll(), expected);
    QCOMPARE(settings::defaultSettingsLines().size(), 60);
    QCOMPARE(settings::defaultSettingsLines().mid(0, 6), (QStringList{"1", "4", "4", "1", "6", "6"}));
    QCOMPARE(settings::defaultSettingsLines().mid(57), (QStringList{"3", "15", "3"}));
}

void TestRand::defaults_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("seconds");
    QTest::newRow("10級") << 10 << 1 << 4 << 4.0;
    QTest::newRow("1級") << 1 << 3 << 5 << 5.0;
    QTest::newRow("初段") << 11 << 3 << 7 << 7.0;
    QTest::newRow("五段 4.5 s") << 15 << 3 << 10 << 4.5;
    QTest::newRow("七段 3.5 s") << 17 << 3 << 10 << 3.5;
    QTest::newRow("十段") << 20 << 3 << 15 << 3.0;
    QTest::newRow("6級") << 6 << 2 << 3 << 3.0;
}

void TestRand::defaults()
{
    QFETCH(int, code);
    QFETCH(int, digits);
    QFETCH(int, count);
    QFETCH(double, seconds);
    writeSettings(settings::defaultSettingsLines());
    QCOMPARE(ReadGradeDigits(code), digits);
    QCOMPARE(ReadGradeCount(code), count);
    QCOMPARE(ReadGradeSeconds(code), seconds);
}

void TestRand::blocksAndNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("name");
    QTest::newRow("10級 is block 0") << 10 << 0 << QStringLiteral("１０級");
    QTest::newRow("1級 is block 9") << 1 << 9 << QStringLiteral("１級");
    QTest::newRow("初段 is block 10") << 11 << 10 << QStringLiteral("初段");
    QTest::newRow("十段 is block 19") << 20 << 19 << QStringLiteral("十段");
}

void TestRand::blocksAndNames()
{
    QFETCH(int, code);
    QFETCH(int, block);
    QFETCH(QString, name);
    QCOMPARE(settings::blockOf(code), block);
    QCOMPARE(settings::gradeName(code), name);
}

void TestRand::shortFile_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("works");
    QTest::addColumn<int>("count");
    QTest::newRow("file of 30 lines, kyu grade 1級 works") << 1 << true << 5;
    QTest::newRow("file of 30 lines, kyu grade 10級 works") << 10 << true << 4;
    QTest::newRow("file of 30 lines, dan grade → conversion error") << 11 << false << 0;
    QTest::newRow("file of 30 lines, 十段 → conversion error") << 20 << false << 0;
}

void TestRand::shortFile()
{
    QFETCH(int, code);
    QFETCH(bool, works);
    QFETCH(int, count);
    writeSettings(settings::defaultSettingsLines().mid(0, 30));
    QStringList slots_ = ReadSettingsLines();
    QCOMPARE(slots_.size(), 60);
    QVERIFY(slots_.mid(30).join(QString()).isEmpty());
    if (works)
        QCOMPARE(ReadGradeCount(code), count);
    else
        QVERIFY_THROWS_EXCEPTION(pz::ConversionError, ReadGradeCount(code));
}

void TestRand::linesAfterTheSixtiethIgnored()
{
    QStringList lines = settings::defaultSettingsLines();
    lines << "9" << "9" << "9" << "x" << "";
    writeSettings(lines);
    QCOMPARE(ReadSettingsLines(), settings::defaultSettingsLines());
    QCOMPARE(ReadGradeCount(20), 15);
}

void TestRand::conversions_data()
{
    QTest::addColumn<int>("lineNo");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    // 10級: line 1 digits, line 2 count, line 3 seconds.
    QTest::newRow("seconds 4.5 → 4.5") << 3 << "4.5" << true << 4.5;
    QTest::newRow("seconds 4 → 4.0") << 3 << "4" << true << 4.0;
    QTest::newRow("seconds 0.5") << 3 << "0.5" << true << 0.5;
    QTest::newRow("seconds with comma → conversion error") << 3 << "4,5" << false << 0.0;
    QTest::newRow("seconds empty → conversion error") << 3 << "" << false << 0.0;
    QTest::newRow("count 4.5 → conversion error") << 2 << "4.5" << false << 0.0;
    QTest::newRow("count empty → conversion error") << 2 << "" << false << 0.0;
    QTest::newRow("count text → conversion error") << 2 << "four" << false << 0.0;
    QTest::newRow("count 0 comes back unchanged") << 2 << "0" << true << 0.0;
    QTest::newRow("digits 7 comes back unchanged") << 1 << "7" << true << 7.0;
    QTest::newRow("digits over 32 bits → conversion error") << 1 << "4294967296" << false << 0.0;
}

void TestRand::conversions()
{
    QFETCH(int, lineNo);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    writeSettings(withLine(lineNo, text));
    auto read = [lineNo]() -> double {
        return lineNo == 1 ? ReadGradeDigits(10) : lineNo == 2 ? ReadGradeCount(10) : ReadGradeSeconds(10);
    };
    if (ok)
        QCOMPARE(read(), value);
    else
        QVERIFY_THROWS_EXCEPTION(pz::ConversionError, read());
}

void TestRand::triedConversions_data()
{
    QTest::addColumn<bool>("seconds");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("integer 7") << false << "7" << true << 7.0;
    QTest::newRow("integer +7") << false << "+7" << true << 7.0;
    QTest::newRow("integer -3") << false << "-3" << true << -3.0;
    QTest::newRow("integer 2147483647") << false << "2147483647" << true << 2147483647.0;
    QTest::newRow("integer 2147483648: none") << false << "2147483648" << false << 0.0;
    QTest::newRow("integer 4.5: none") << false << "4.5" << false << 0.0;
    QTest::newRow("integer with a blank: none") << false << " 7" << false << 0.0;
    QTest::newRow("integer empty: none") << false << "" << false << 0.0;
    QTest::newRow("integer full-width: none") << false << "７" << false << 0.0;
    QTest::newRow("seconds 4.5") << true << "4.5" << true << 4.5;
    QTest::newRow("seconds .5") << true << ".5" << true << 0.5;
    QTest::newRow("seconds 1e3") << true << "1e3" << true << 1000.0;
    QTest::newRow("seconds 4,5: none") << true << "4,5" << false << 0.0;
    QTest::newRow("seconds inf: none") << true << "inf" << false << 0.0;
    QTest::newRow("seconds empty: none") << true << "" << false << 0.0;
}

void TestRand::triedConversions()
{
    QFETCH(bool, seconds);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const std::optional<double> tried = seconds ? trySeconds(text) : std::optional<double>(tryInteger(text));
    QCOMPARE(tried.has_value(), ok);
    // The throwing form agrees: the same value, or a ConversionError where there is none.
    const auto strict = [&] { return seconds ? toSeconds(text) : double(toInteger(text)); };
    if (ok) {
        QCOMPARE(*tried, value);
        QCOMPARE(strict(), value);
    } else {
        QVERIFY_THROWS_EXCEPTION(pz::ConversionError, strict());
    }
}

void TestRand::changeSeenAtNextCall()
{
    writeSettings(settings::defaultSettingsLines());
    QCOMPARE(ReadGradeDigits(10), 1);
    writeSettings(withLine(1, "2"));
    QCOMPARE(ReadGradeDigits(10), 2);
}

void TestRand::missingFileIsIoError()
{
    QFile::remove(QStringLiteral("settei/settei.dat"));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, ReadGradeCount(3));
    QVERIFY_THROWS_EXCEPTION(pz::IoError, ReadSettingsLines());
}

void TestRand::errorsSayWhere_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("what"); // 0 digits, 1 count, 2 seconds
    QTest::addColumn<QString>("message");
    auto lines = [](int lineNo, const char *text) {
        QStringList l = settings::defaultSettingsLines();
        l[lineNo - 1] = QString::fromLatin1(text);
        return (l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    };
    QTest::newRow("10級 seconds not a number") << lines(3, "abc") << 10 << 2
        << QStringLiteral("settei/settei.dat の 3 行目（１０級の秒数）の「abc」は正しい数値ではありません。");
    QTest::newRow("初段 digits empty") << lines(31, "") << 11 << 0
        << QStringLiteral("settei/settei.dat の 31 行目（初段の桁数）が空です。");
    QTest::newRow("1級 count with a fraction") << lines(29, "4.5") << 1 << 1
        << QStringLiteral("settei/settei.dat の 29 行目（１級の口数）の「4.5」は正しい数値ではありません。");
    QTest::newRow("十段 beyond a file of 30 lines") << settings::defaultSettingsLines().mid(0, 30).join(QStringLiteral("\r\n")).toLatin1()
        << 20 << 0 << QStringLiteral("settei/settei.dat の 58 行目（十段の桁数）が空です。");
    // CR-only line ends: the whole file is line 1. The message stays one short line.
    QTest::newRow("CR-only file") << settings::defaultSettingsLines().join(QStringLiteral("\r")).toLatin1() << 10 << 0
        << QStringLiteral("settei/settei.dat の 1 行目（１０級の桁数）の「1・4・4・1・6・6・1・8・8・1・10・10・2・3・3・2・4・4・2・…」は正しい数値ではありません。");
}

void TestRand::errorsSayWhere()
{
    QFETCH(QByteArray, file);
    QFETCH(int, code);
    QFETCH(int, what);
    QFETCH(QString, message);
    QFile f(QStringLiteral("settei/settei.dat"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(file);
    f.close();
    try {
        what == 0 ? double(ReadGradeDigits(code)) : what == 1 ? double(ReadGradeCount(code)) : ReadGradeSeconds(code);
        QFAIL("no conversion error");
    } catch (const pz::ConversionError &e) {
        QCOMPARE(e.text(), message);
    }
}

void TestRand::hugeFileReadOnlyAsFarAsNeeded()
{
    // A settings file of a terabyte (sparse) past its 60 lines: the choice of a grade reads only
    // those lines, instead of freezing and filling memory.
    writeSettings(settings::defaultSettingsLines());
    QVERIFY(QFile::resize(QStringLiteral("settei/settei.dat"), qint64(1) << 40));
    QCOMPARE(ReadGradeDigits(20), 3);
    QCOMPARE(ReadGradeCount(20), 15);
    QCOMPARE(ReadGradeSeconds(20), 3.0);
    QCOMPARE(ReadSettingsLines(), settings::defaultSettingsLines());
    QVERIFY(QFile::resize(QStringLiteral("settei/settei.dat"), 0));
}

QTEST_GUILESS_MAIN(TestRand)
#include "tst_core_rand.moc"
