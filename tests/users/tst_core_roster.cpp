// The class from a list: how a list's bytes are read (encodings, line ends, tabs and commas,
// quoting, a heading), the plan judged against the registered names and the lines above, the
// made-up passwords, and the registration done whole or not at all.
#include "base/classroom.h"
#include "base/errors.h"
#include "users/roster.h"
#include "users/userstore.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList shown(const QList<roster::Line> &lines)
{
    QStringList out;
    for (const roster::Line &l : lines)
        out << QStringLiteral("%1|%2|%3|%4").arg(l.number).arg(l.name, l.password, l.group);
    return out;
}
// Always the first character: every made-up password is "aaaaaa".
int first(int) { return 0; }
} // namespace

class TestRoster : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void parse_data();
    void parse();
    void plan_data();
    void plan();
    void madeUpPasswords();
    void registersWhole();
    void failureTakesBack();
    void registeredMeanwhile();

private:
    QString user(const QString &file) const { return dir_->path() + QStringLiteral("/user/") + file; }
    QTemporaryDir *dir_ = nullptr;
};

void TestRoster::init()
{
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("user")));
    Classroom::use(Classroom(dir_->path()));
}

void TestRoster::cleanup()
{
    Classroom::use(Classroom());
    delete dir_;
    dir_ = nullptr;
}

void TestRoster::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("UTF-8, BOM, CR LF") << QByteArray("\xEF\xBB\xBF\xE3\x81\x9F\xE3\x82\x8D\xE3\x81\x86,pw,1\xE7\xB5\x84\r\nhana\r\n")
                                       << QStringList{QStringLiteral("1|たろう|pw|1組"), QStringLiteral("2|hana||")};
    // たろう in Shift_JIS: 82 BD 82 EB 82 A4; 組 is 91 67.
    QTest::newRow("Shift_JIS, CR only") << QByteArray("\x82\xbd\x82\xeb\x82\xa4,,2\x91\x67\rjiro,x")
                                        << QStringList{QStringLiteral("1|たろう||2組"), QStringLiteral("2|jiro|x|")};
    QTest::newRow("tabs keep commas in the name") << QByteArray("a,b\tpw\t3\n")
                                                  << QStringList{QStringLiteral("1|a,b|pw|3")};
    QTest::newRow("a quoted comma, a quote") << QByteArray("\"yamada, taro\",\"p\"\"w\",4\n")
                                             << QStringList{QStringLiteral("1|yamada, taro|p\"w|4")};
    QTest::newRow("empty lines, blanks around fields") << QByteArray("\n  \n taro , pw \n,,\n\nhana\n")
                                                       << QStringList{QStringLiteral("3|taro|pw|"), QStringLiteral("6|hana||")};
    QTest::newRow("a heading") << QByteArray("\xE5\x90\x8D\xE5\x89\x8D,password,kumi\ntaro\n")
                               << QStringList{QStringLiteral("2|taro||")};
    QTest::newRow("nothing") << QByteArray("\r\n\r\n") << QStringList{};
}

void TestRoster::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(shown(roster::parse(bytes)), lines);
}

void TestRoster::plan_data()
{
    QTest::addColumn<QStringList>("names"); // one child a line, as "name|password|組"
    QTest::addColumn<QStringList>("outcomes");
    QTest::addColumn<bool>("allNew");
    QTest::newRow("new, password given and made up")
        << QStringList{QStringLiteral("じろう|pw|1組"), QStringLiteral("さぶろう||")}
        << QStringList{QStringLiteral("1行目「じろう」: 登録します（パスワード pw、組 1組）"),
                       QStringLiteral("2行目「さぶろう」: 登録します（パスワード aaaaaa、作りました）")}
        << true;
    QTest::newRow("registered, in another case")
        << QStringList{QStringLiteral("たろう||"), QStringLiteral("HANA||")}
        << QStringList{QStringLiteral("1行目「たろう」: 「たろう」はもう登録されています（そのままにします）"),
                       QStringLiteral("2行目「HANA」: 「hana」はもう登録されています（そのままにします）")}
        << false;
    QTest::newRow("width and kana variants of registered names")
        << QStringList{QStringLiteral("ｈａｎａ||"), QStringLiteral("タロウ||"), QStringLiteral("ﾀﾛｳ||")}
        << QStringList{QStringLiteral("1行目「ｈａｎａ」: 登録しません。登録ずみの「hana」と、文字の幅かかなの種類だけがちがいます"),
                       QStringLiteral("2行目「タロウ」: 登録しません。登録ずみの「たろう」と、文字の幅かかなの種類だけがちがいます"),
                       QStringLiteral("3行目「ﾀﾛｳ」: 登録しません。登録ずみの「たろう」と、文字の幅かかなの種類だけがちがいます")}
        << false;
    QTest::newRow("duplicates in the list")
        << QStringList{QStringLiteral("けん||"), QStringLiteral("ケン||"), QStringLiteral("けん|x|")}
        << QStringList{QStringLiteral("1行目「けん」: 登録します（パスワード aaaaaa、作りました）"),
                       QStringLiteral("2行目「ケン」: 登録しません。1行目の「けん」と、文字の幅かかなの種類だけがちがいます"),
                       QStringLiteral("3行目「けん」: 登録しません。1行目と同じ名前です")}
        << false;
    QTest::newRow("the registration's rules")
        << QStringList{QStringLiteral("a/b||"), QStringLiteral("master||"), QStringLiteral("ok|p\u00e9|"),
                       QStringLiteral("ok2||123456789")}
        << QStringList{QStringLiteral("1行目「a/b」: 登録しません。なまえに「/」はつかえません"),
                       QStringLiteral("2行目「master」: 登録しません。「master」はなまえにつかえません"),
                       QStringLiteral("3行目「ok」: 登録しません。パスワードにつかえないもじがはいっています"),
                       QStringLiteral("4行目「ok2」: 登録しません。組が長すぎます（8文字まで）")}
        << false;
    QTest::newRow("the longest 組")
        << QStringList{QStringLiteral("ok3||1234567８")}
        << QStringList{QStringLiteral("1行目「ok3」: 登録します（パスワード aaaaaa、作りました、組 1234567８）")}
        << true;
    // A refused first line does not make a later one a duplicate.
    QTest::newRow("after a refused line")
        << QStringList{QStringLiteral("ゆき|p\u00e9|"), QStringLiteral("ゆき||")}
        << QStringList{QStringLiteral("1行目「ゆき」: 登録しません。パスワードにつかえないもじがはいっています"),
                       QStringLiteral("2行目「ゆき」: 登録します（パスワード aaaaaa、作りました）")}
        << false;
}

void TestRoster::plan()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, outcomes);
    QFETCH(bool, allNew);
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("t")), QString());
    QCOMPARE(userstore::createUser(QStringLiteral("hana"), QStringLiteral("h")), QString());
    QList<roster::Line> lines;
    for (const QString &n : std::as_const(names)) {
        const QStringList f = n.split(QLatin1Char('|'));
        lines.append({int(lines.size() + 1), f[0], f[1], f[2]});
    }
    const roster::Plan p = roster::plan(lines, first);
    QStringList got;
    for (const roster::Entry &e : p.entries)
        got << roster::describe(e);
    QCOMPARE(got, outcomes);
    QCOMPARE(p.allNew(), allNew);
    // Planning writes nothing.
    QCOMPARE(QDir(user(QString())).entryList({QStringLiteral("*.dat")}).size(), 2);
}

void TestRoster::madeUpPasswords()
{
    // Every character a password may hold, each reachable, and none of the ones read wrongly.
    int k = 0;
    QSet<QChar> seen;
    for (int i = 0; i < 40; ++i)
        for (QChar c : roster::makePassword([&](int n) { return k++ % n; }))
            seen.insert(c);
    QCOMPARE(seen.size(), 31); // 23 letters, 8 digits
    for (QChar bad : QStringLiteral("0Oo1lIi"))
        QVERIFY2(!seen.contains(bad), qPrintable(QString(bad)));
    QCOMPARE(roster::makePassword(first), QStringLiteral("aaaaaa"));
    QCOMPARE(roster::makePassword([](int n) { return n - 1; }), QStringLiteral("999999"));
}

void TestRoster::registersWhole()
{
    const roster::Plan p = roster::plan(roster::parse("taro,t1,1\nhana\n"), first);
    QCOMPARE(roster::carryOut(p), QString());
    QCOMPARE(userstore::listUsers().size(), 2);
    QCOMPARE(userstore::readPassword(QStringLiteral("taro")), QStringLiteral("t1"));
    QCOMPARE(userstore::readPassword(QStringLiteral("hana")), QStringLiteral("aaaaaa"));
    QFile history(user(QStringLiteral("hana.dat")));
    QVERIFY(history.open(QIODevice::ReadOnly));
    QCOMPARE(history.readAll(), QByteArray("\x8b\x89/\x92\x69,\x93\xfa\x95\x74,\x90\xb3\x89\xf0\x90\x94,\x95\x73\x90\xb3\x89\xf0\x90\x94,\x8d\x87\x94\xdb\r\n"));
}

void TestRoster::failureTakesBack()
{
    // The third child's password file cannot be written (a folder in its place): the two before
    // it are taken back, the folder stays.
    QVERIFY(QDir().mkpath(user(QStringLiteral("c.psw/inside"))));
    const roster::Plan p = roster::plan(roster::parse("a\nb\nc\nd\n"), first);
    QCOMPARE(p.count(roster::Outcome::New), 4);
    QVERIFY_THROWS_EXCEPTION(pz::IoError, roster::carryOut(p));
    QStringList left = QDir(user(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    left.removeAll(QStringLiteral(".pikazan.lock"));
    QCOMPARE(left, QStringList{QStringLiteral("c.psw")});
}

void TestRoster::registeredMeanwhile()
{
    const roster::Plan p = roster::plan(roster::parse("a\nb\n"), first);
    QCOMPARE(userstore::createUser(QStringLiteral("B"), QStringLiteral("x")), QString());
    QCOMPARE(roster::carryOut(p), QStringLiteral("「B」というなまえはもうつかわれています。\nほかのなまえにしてください"));
    QCOMPARE(userstore::listUsers(), QStringList{QStringLiteral("B")});
}

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_core_roster.moc"
