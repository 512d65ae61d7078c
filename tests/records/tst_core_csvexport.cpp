// The classroom's CSV: its exact bytes (cp932, CR LF, RFC 4180 quotes around commas and quotes,
// double-byte names, a byte that is no character), several children in the order given, the places
// it refuses to write (inside the classroom), and a failed read that leaves an old CSV whole. The
// classroom itself is never written.
#include "base/errors.h"
#include "base/classroom.h"
#include "platform/outputfile.h"
#include "platform/textfile.h"
#include "records/csvexport.h"
#include "records/pacemarks.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {
void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}
QByteArray get(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}
// Every entry of the folder with its size and time: what "nothing written" is checked against.
QStringList snapshot(const QString &dir)
{
    QStringList all;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        all << it.filePath() + QLatin1Char(' ') + QString::number(it.fileInfo().size()) + QLatin1Char(' ')
                   + it.fileInfo().lastModified().toString(Qt::ISODateWithMs);
    }
    all.sort();
    return all;
}
} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT
    QTemporaryDir room_, away_;
    QString home_;
    Classroom room() const { return Classroom(room_.path()); }
private slots:
    void init()
    {
        home_ = QDir::currentPath();
        QVERIFY(QDir(room_.path()).mkpath(QStringLiteral("user")));
        QVERIFY(QDir::setCurrent(room_.path()));
        Classroom::use(Classroom(room_.path()));
    }
    void cleanup()
    {
        QDir::setCurrent(home_);
        QDir(room_.path() + QStringLiteral("/user")).removeRecursively();
    }
    void exactBytes();
    void severalChildren();
    void quoting_data();
    void quoting();
    void refused_data();
    void refused();
    void formulas();
    void unreadableHistoryKeepsOldCsv();
    void twoClassrooms_data();
    void twoClassrooms();
    void replacesOnlyItsOwnKind_data();
    void replacesOnlyItsOwnKind();
};

void TestCsvExport::exactBytes()
{
    const QString name = QStringLiteral("は,な\"こ");
    put(QStringLiteral("user/") + name + QStringLiteral(".dat"),
        textfile::encode(QStringLiteral("級/段,日付,正解数,不正解数,合否\r\n１０級,2026/12/1,9,1,合格\r\n"
                                        "\"初,段\",2026/12/02,9,1,合格\r\n\"a\"\"b\",2026/12/03,3,7,不合格\r\n\r\n"
                                        "５級,2026/12/4,"))
            + QByteArray("\xFF,1,") + textfile::encode(QStringLiteral("不合格\r\n")));
    put(QStringLiteral("user/master.psw"), "pw\r\n");
    const QStringList before = snapshot(room_.path());

    const QString out = away_.filePath(QStringLiteral("きろく.csv"));
    const csvexport::Written w = csvexport::exportClassroom(room(), out);
    QCOMPARE(w.children, 1);
    QCOMPARE(w.rows, 4);
    QCOMPARE(get(out).toHex(),
             QByteArray("96bc914f2c8b892f92692c93fa95742c90b389f090942c957390b389f090942c8d8794db0d0a"
                        "2282cd2c82c8222282b1222c8250824f8b892c323032362f31322f312c392c312c8d878a690d0a"
                        "2282cd2c82c8222282b1222c228f892c9269222c323032362f31322f30322c392c312c8d878a690d0a"
                        "2282cd2c82c8222282b1222c2261222262222c323032362f31322f30332c332c372c95738d878a690d0a"
                        "2282cd2c82c8222282b1222c82548b892c323032362f31322f342c81ac2c312c95738d878a690d0a"));
    QCOMPARE(snapshot(room_.path()), before);
}

void TestCsvExport::severalChildren()
{
    const std::vector<csvexport::History> all{
        {QStringLiteral("たろう"), {QStringLiteral("級/段,日付,正解数,不正解数,合否"), QStringLiteral("１級,2026/1/01,10,0,合格")}},
        {QStringLiteral("空"), {QStringLiteral("級/段,日付,正解数,不正解数,合否")}},
        {QStringLiteral("はなこ"), {QStringLiteral("級/段,日付,正解数,不正解数,合否"), QStringLiteral("二段,2026/1/02,2,8,不合格"),
                                   QStringLiteral("三段,2026/1/03,9,1")}},
    };
    QCOMPARE(csvexport::lines(all), (QStringList{QStringLiteral("名前,級/段,日付,正解数,不正解数,合否"),
                                                 QStringLiteral("たろう,１級,2026/1/01,10,0,合格"),
                                                 QStringLiteral("はなこ,二段,2026/1/02,2,8,不合格"),
                                                 QStringLiteral("はなこ,三段,2026/1/03,9,1,")}));
}

void TestCsvExport::quoting_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "１０級" << "１０級";
    QTest::newRow("comma") << "a,b" << "\"a,b\"";
    QTest::newRow("quote") << "a\"b" << "\"a\"\"b\"";
    QTest::newRow("only a quote") << "\"" << "\"\"\"\"";
    QTest::newRow("line feed") << "a\nb" << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"";
    QTest::newRow("blank stays bare") << "a b" << "a b";
    QTest::newRow("empty") << "" << "";
}

void TestCsvExport::quoting()
{
    QFETCH(QString, field);
    QFETCH(QString, written);
    QCOMPARE(csvexport::quoted(field), written);
}

void TestCsvExport::refused_data()
{
    QTest::addColumn<QString>("target"); // relative to the classroom
    QTest::addColumn<bool>("refused");
    QTest::newRow("the classroom folder") << "ROOM/k.csv" << true;
    QTest::newRow("the user folder, as a .dat") << "ROOM/user/x.dat" << true;
    QTest::newRow("through .. back in") << "ROOM/user/../k.csv" << true;
    QTest::newRow("a link to the classroom") << "LINK/k.csv" << true;
    QTest::newRow("a link outside to a history") << "AWAY/h.csv" << true;
    QTest::newRow("a link outside to the user folder") << "AWAY/u/x.dat" << true;
    // Its name begins as the classroom's does, and it is another folder.
    QTest::newRow("a folder beside the classroom, room-out/") << "BESIDE/k.csv" << false;
}

void TestCsvExport::refused()
{
    QFETCH(QString, target);
    QFETCH(bool, refused);
    put(QStringLiteral("user/はなこ.dat"), textfile::encode(QStringLiteral("級/段,日付,正解数,不正解数,合否\r\n")));
    const QString link = away_.filePath(QStringLiteral("room"));
    QFile::remove(link);
    QVERIFY(QFile::link(room_.path(), link));
    target.replace(QStringLiteral("LINK"), link);
    QFile::remove(away_.filePath(QStringLiteral("h.csv")));
    QFile::remove(away_.filePath(QStringLiteral("u")));
    QVERIFY(QFile::link(room_.filePath(QStringLiteral("user/はなこ.dat")), away_.filePath(QStringLiteral("h.csv"))));
    QVERIFY(QFile::link(room_.filePath(QStringLiteral("user")), away_.filePath(QStringLiteral("u"))));
    target.replace(QStringLiteral("AWAY"), away_.path());
    const QString beside = room_.path() + QStringLiteral("-out");
    QVERIFY(QDir().mkpath(beside));
    auto gone = qScopeGuard([&] { QDir(beside).removeRecursively(); });
    target.replace(QStringLiteral("BESIDE"), beside);
    target.replace(QStringLiteral("ROOM"), room_.path());
    const QStringList before = snapshot(room_.path());
    QCOMPARE(csvexport::exportClassroom(room(), target).refusal.isEmpty(), !refused);
    QCOMPARE(snapshot(room_.path()), before);
    QCOMPARE(QFileInfo::exists(beside + QStringLiteral("/k.csv")), !refused);
}

// A cell a spreadsheet would run as a formula is led by an apostrophe (then quoted as usual).
void TestCsvExport::formulas()
{
    put(QStringLiteral("user/=1+1.dat"), textfile::encode(QStringLiteral("級/段,日付,正解数,不正解数,合否\r\n"
                                                                         "@SUM(9),+1,-2,\"\t3\",5=\r\n")));
    const QString out = away_.filePath(QStringLiteral("f.csv"));
    QCOMPARE(csvexport::exportClassroom(room(), out).refusal, QString());
    QCOMPARE(get(out).mid(get(out).indexOf('\n') + 1), QByteArray("'=1+1,'@SUM(9),'+1,'-2,'\t3,5=\r\n"));
    QCOMPARE(csvexport::quoted(csvexport::defused(u"\r4")), QStringLiteral("\"'\r4\""));
}

void TestCsvExport::unreadableHistoryKeepsOldCsv()
{
    put(QStringLiteral("user/はなこ.dat"), textfile::encode(QStringLiteral("級/段,日付,正解数,不正解数,合否\r\n")));
    // A history larger than any the program writes is not read: that child's drills are missing.
    QFile huge(QStringLiteral("user/たろう.dat"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(textfile::kMaxBytes + 1));
    huge.close();
    const QString out = away_.filePath(QStringLiteral("old.csv"));
    // An earlier export: its heading, in cp932 ("名前,級/段,日付,正解数,不正解数,合否").
    const QByteArray old = "\x96\xbc\x91\x4f,\x8b\x89/\x92\x69,\x93\xfa\x95\x74,\x90\xb3\x89\xf0\x90\x94,"
                           "\x95\x73\x90\xb3\x89\xf0\x90\x94,\x8d\x87\x94\xdb\r\nold\r\n";
    put(out, old);
    QVERIFY_THROWS_EXCEPTION(pz::IoError, csvexport::exportClassroom(room(), out));
    QCOMPARE(get(out), old);
    // The class overview still lists that child, as one whose history could not be read.
    QStringList listed;
    for (const overview::Summary &s : pacemarks::classroom(QDate(2026, 12, 7)))
        listed << s.name + (s.hasHistory ? QStringLiteral(" read") : QStringLiteral(" unread"));
    listed.sort();
    QCOMPARE(listed, (QStringList{QStringLiteral("たろう unread"), QStringLiteral("はなこ read")}));
}


// One process, two classrooms: each guard keeps its own folders, whichever room the process is in
// (the working folder is the first room here, as in every test of this file). Without a classroom
// nothing is known to be outside it.
void TestCsvExport::twoClassrooms_data()
{
    QTest::addColumn<QString>("guard");  // whose guard: FIRST, SECOND, or none
    QTest::addColumn<QString>("target"); // FIRST and SECOND: the two rooms
    QTest::addColumn<bool>("refused");
    QTest::newRow("second's guard, second's folder") << "SECOND" << "SECOND/k.csv" << true;
    QTest::newRow("second's guard, second's wav/") << "SECOND" << "SECOND/wav/k.csv" << true;
    QTest::newRow("second's guard, the first room") << "SECOND" << "FIRST/k.csv" << false;
    QTest::newRow("first's guard, the second room") << "FIRST" << "SECOND/settei/k.csv" << false;
    QTest::newRow("first's guard, first's user/") << "FIRST" << "FIRST/user/k.csv" << true;
    QTest::newRow("no classroom, the second room") << "" << "SECOND/k.csv" << true;
    // The second room's user/ is a link to a folder elsewhere: that folder is the room's too.
    QTest::newRow("second's guard, where its user/ leads") << "SECOND" << "LINKED/k.csv" << true;
    QTest::newRow("first's guard, where second's user/ leads") << "FIRST" << "LINKED/k.csv" << false;
}

void TestCsvExport::twoClassrooms()
{
    QFETCH(QString, guard);
    QFETCH(QString, target);
    QFETCH(bool, refused);
    QTemporaryDir second, linked;
    for (const char *sub : {"settei", "wav"})
        QVERIFY(QDir(second.path()).mkpath(QLatin1String(sub)));
    QVERIFY(QFile::link(linked.path(), second.filePath(QStringLiteral("user"))));
    const auto place = [&](QString p) {
        return p.replace(QStringLiteral("FIRST"), room_.path())
            .replace(QStringLiteral("SECOND"), second.path())
            .replace(QStringLiteral("LINKED"), linked.path());
    };
    target = place(target);
    auto written = qScopeGuard([&] { QFile::remove(target); });
    const Classroom room = guard.isEmpty() ? Classroom() : Classroom(place(guard));
    QCOMPARE(outputfile::refusal(room, target, "x"),
             refused ? QStringLiteral("教室フォルダの中には保存できません。別の場所を選んでください") : QString());
    QCOMPARE(outputfile::save(room, target, "x\r\n", "x").isEmpty(), !refused);
    QCOMPARE(QFileInfo::exists(target), !refused);
}

// What is already at the chosen name is replaced only when the program could have written it: an
// export over another classroom's history (or anything else) is refused, naming it, and left whole.
void TestCsvExport::replacesOnlyItsOwnKind_data()
{
    QTest::addColumn<QByteArray>("there"); // the old file's bytes
    QTest::addColumn<bool>("replaced");
    const QByteArray heading = "\x96\xbc\x91\x4f,\x8b\x89/\x92\x69,\x93\xfa\x95\x74,\x90\xb3\x89\xf0\x90\x94,"
                               "\x95\x73\x90\xb3\x89\xf0\x90\x94,\x8d\x87\x94\xdb\r\n";
    QTest::newRow("an earlier export") << heading + "x,1\x8b\x89,2024/1/01,9,1,\x8d\x87\x8a\x69\r\n" << true;
    QTest::newRow("an earlier export with no rows") << heading << true;
    // "級/段,日付,正解数,不正解数,合否": a child's history, of this room or another.
    QTest::newRow("a history") << heading.mid(5) << false;
    QTest::newRow("a password file") << QByteArray("pw\r\n") << false;
    QTest::newRow("an empty file") << QByteArray() << false;
    QTest::newRow("a heading cut short") << heading.left(heading.size() - 2) << false;
    QTest::newRow("a PDF") << QByteArray("%PDF-1.4\n") << false;
}

void TestCsvExport::replacesOnlyItsOwnKind()
{
    QFETCH(QByteArray, there);
    QFETCH(bool, replaced);
    QTemporaryDir other;
    const QString target = other.filePath(QStringLiteral("じろう.dat"));
    put(target, there);
    const csvexport::Written w = csvexport::exportClassroom(room(), target);
    if (replaced) {
        QCOMPARE(w.refusal, QString());
        // No child in this room: the heading alone.
        QCOMPARE(get(target), QByteArray("\x96\xbc\x91\x4f,\x8b\x89/\x92\x69,\x93\xfa\x95\x74,\x90\xb3\x89\xf0\x90\x94,"
                                         "\x95\x73\x90\xb3\x89\xf0\x90\x94,\x8d\x87\x94\xdb\r\n"));
    } else {
        QCOMPARE(w.refusal, QStringLiteral("「%1」は、このプログラムが書く種類のファイルではないので、置きかえません。別の名前にしてください").arg(target));
        QCOMPARE(get(target), there);
    }
    QCOMPARE(QDir(other.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary beside it
    // A PDF of ours is replaced by a PDF, never by a CSV.
    const QString pdf = other.filePath(QStringLiteral("c.pdf"));
    put(pdf, "%PDF-1.4\n%old\n");
    QCOMPARE(outputfile::save(room(), pdf, "%PDF-1.4\n%new\n", "%PDF-"), QString());
    QCOMPARE(get(pdf), QByteArray("%PDF-1.4\n%new\n"));
    QVERIFY(!csvexport::exportClassroom(room(), pdf).refusal.isEmpty());
    QCOMPARE(get(pdf), QByteArray("%PDF-1.4\n%new\n"));
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_core_csvexport.moc"
