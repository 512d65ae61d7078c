// The cp932 / CR LF text files every screen goes through.
#include "platform/errors.h"
#include "platform/textfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestTextFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    static QByteArray bytesOf(const QString &p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void put(const QString &p, const QByteArray &b)
    {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b);
    }

private slots:
    void readsLines_data();
    void readsLines();
    void writesCp932WithCrLf();
    void refusesTextCp932CannotHoldBeforeWriting();
    void appendNeverCreates();
    void appendAddsOneLine();
    void createNewRefusesExisting();
    void missingFileIsIoError();
};

void TestTextFile::readsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF lines") << QByteArray("1\r\n4\r\n4.5\r\n") << QStringList{"1", "4", "4.5"};
    QTest::newRow("LF lines") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("last line without an end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty line kept") << QByteArray("a\r\n\r\nc\r\n") << QStringList{"a", "", "c"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("torn last line with NULs") << QByteArray("a\r\nb\0\0\0", 8) << QStringList{"a", "b"};
    // ～ is 0x8160 in cp932; 級 is 0x8B89.
    QTest::newRow("cp932 text") << QByteArray("\x82\xbd\x82\xeb\x82\xa4,\x81\x60\x8b\x89\r\n")
                                << QStringList{QStringLiteral("たろう,～級")};
}

void TestTextFile::readsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    put(path("r.txt"), bytes);
    QCOMPARE(textfile::readLines(path("r.txt")), lines);
}

void TestTextFile::writesCp932WithCrLf()
{
    textfile::rewrite(path("w.txt"), {QStringLiteral("級/段,日付"), QStringLiteral("～"), QString()});
    QCOMPARE(bytesOf(path("w.txt")), QByteArray("\x8b\x89/\x92\x69,\x93\xfa\x95\x74\r\n\x81\x60\r\n\r\n"));
}

void TestTextFile::refusesTextCp932CannotHoldBeforeWriting()
{
    put(path("keep.txt"), "old\r\n");
    QVERIFY_THROWS_EXCEPTION(pz::ConversionError, textfile::rewrite(path("keep.txt"), {QStringLiteral("😀")}));
    QVERIFY_THROWS_EXCEPTION(pz::ConversionError, textfile::appendLine(path("keep.txt"), QStringLiteral("한국")));
    QCOMPARE(bytesOf(path("keep.txt")), QByteArray("old\r\n"));
}

void TestTextFile::appendNeverCreates()
{
    QVERIFY_THROWS_EXCEPTION(pz::IoError, textfile::appendLine(path("nobody.dat"), QStringLiteral("x")));
    QVERIFY(!QFile::exists(path("nobody.dat")));
}

void TestTextFile::appendAddsOneLine()
{
    put(path("h.dat"), "head\r\n");
    textfile::appendLine(path("h.dat"), QStringLiteral("１０級,2004/7/05,9,1,合格"));
    QCOMPARE(bytesOf(path("h.dat")),
             QByteArray("head\r\n\x82\x50\x82\x4f\x8b\x89,2004/7/05,9,1,\x8d\x87\x8a\x69\r\n"));
}

void TestTextFile::createNewRefusesExisting()
{
    put(path("n.psw"), "secret\r\n");
    QVERIFY_THROWS_EXCEPTION(pz::IoError, textfile::createNew(path("n.psw"), {QStringLiteral("other")}));
    QCOMPARE(bytesOf(path("n.psw")), QByteArray("secret\r\n"));
}

void TestTextFile::missingFileIsIoError()
{
    try {
        textfile::readLines(path("nothere/x.txt"));
        QFAIL("no error");
    } catch (const pz::IoError &e) {
        QCOMPARE(e.path(), path("nothere/x.txt"));
        QVERIFY(e.text().contains(path("nothere/x.txt")));
    }
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_core_textfile.moc"
