// The start-up check of the classroom folder: what this account cannot write (or read) is found,
// and said in a few lines. Root passes every check, so the finding runs as an ordinary account.
#include "users/accesscheck.h"
#include "base/classroom.h"

#include "../support/otheraccount.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using accesscheck::Problem;
Q_DECLARE_METATYPE(QList<Problem>)

namespace {
// Makes a file or folder of the working folder with this mode ("user/" ends a folder; "a->b": a
// link a to b, the mode ignored).
void make(const QString &entry, int mode)
{
    if (const QStringList link = entry.split(QStringLiteral("->")); link.size() == 2) {
        QVERIFY(QFile::link(link[1], link[0]));
        return;
    }
    const bool folder = entry.endsWith(QLatin1Char('/'));
    const QString path = folder ? entry.chopped(1) : entry;
    if (folder) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile f(path);
        QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
        f.write("x\r\n");
    }
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
}

// Gives write permission back, so that the temporary folder can be removed.
void loosen(const QString &root)
{
    for (const char *p : {"user", "settei"})
        ::chmod(QFile::encodeName(root + QLatin1Char('/') + QLatin1String(p)).constData(), 0755);
}
} // namespace

class TestAccessCheck : public QObject {
    Q_OBJECT
private slots:
    void findsWhatCannotBeUsed_data();
    void findsWhatCannotBeUsed();
    void message_data();
    void message();
};

void TestAccessCheck::findsWhatCannotBeUsed_data()
{
    // entries: made in this order with these modes, after a usable classroom (user/ and settei/
    // 0755, settei.dat 0644, taro.dat 0644).
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QList<int>>("modes");
    QTest::addColumn<QList<Problem>>("expected");
    const Problem userFolder{Problem::FolderNotWritable, "user"};
    const Problem setteiFolder{Problem::FolderNotWritable, "settei"};
    const Problem settings{Problem::FileNotReadable, "settei/settei.dat"};
    auto history = [](const char *name) { return Problem{Problem::FileNotWritable, QStringLiteral("user/%1.dat").arg(QLatin1String(name))}; };
    QTest::newRow("a usable classroom") << QStringList{} << QList<int>{} << QList<Problem>{};
    QTest::newRow("user folder not writable") << QStringList{"user/"} << QList<int>{0555} << QList<Problem>{userFolder};
    QTest::newRow("user folder not searchable") << QStringList{"user/"} << QList<int>{0666} << QList<Problem>{userFolder};
    QTest::newRow("settei folder not writable") << QStringList{"settei/"} << QList<int>{0555} << QList<Problem>{setteiFolder};
    QTest::newRow("settings not readable") << QStringList{"settei/settei.dat"} << QList<int>{0200} << QList<Problem>{settings};
    QTest::newRow("settings read-only is fine") << QStringList{"settei/settei.dat"} << QList<int>{0444} << QList<Problem>{};
    QTest::newRow("a child's history not writable") << QStringList{"user/hanako.dat"} << QList<int>{0444} << QList<Problem>{history("hanako")};
    QTest::newRow("histories by name") << QStringList{"user/z.dat", "user/a.dat", "user/m.dat"} << QList<int>{0444, 0444, 0644}
                                       << QList<Problem>{history("a"), history("z")};
    QTest::newRow("pace files not writable, each after its child's history")
        << QStringList{"user/hanako.dat", "user/hanako.pace", "user/taro.pace"} << QList<int>{0444, 0444, 0444}
        << QList<Problem>{history("hanako"), {Problem::FileNotWritable, "user/hanako.pace"}, {Problem::FileNotWritable, "user/taro.pace"}};
    // The user list passes over a linked history, not a linked pace file: the check itself must not follow it.
    QTest::newRow("taro's pace file a link to a file not ours") << QStringList{"user/taro.pace->/etc/hostname"} << QList<int>{0}
                                                                << QList<Problem>{};
    QTest::newRow("a password file is not a history") << QStringList{"user/taro.psw"} << QList<int>{0444} << QList<Problem>{};
    QTest::newRow("everything at once") << QStringList{"user/b.dat", "settei/settei.dat", "settei/", "user/"}
                                        << QList<int>{0444, 0200, 0555, 0555} << QList<Problem>{userFolder, setteiFolder, settings, history("b")};
}

void TestAccessCheck::findsWhatCannotBeUsed()
{
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, modes);
    QFETCH(QList<Problem>, expected);
    if (!testsupport::runAsOrdinaryUser())
        return;
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path())); // for this test's own file names
    Classroom::use(Classroom(dir.path()));
    make("user/", 0755);
    make("settei/", 0755);
    make("settei/settei.dat", 0644);
    make("user/taro.dat", 0644);
    // Not looked at: a link (no user's history, never followed to the file it names, which this
    // account may not write) and anything missing.
    QVERIFY(QFile::link(QStringLiteral("/etc/hostname"), QStringLiteral("user/link.dat")));
    for (int i = 0; i < entries.size(); ++i)
        make(entries[i], modes[i]);
    const QList<Problem> found = accesscheck::problems();
    loosen(dir.path());
    QDir::setCurrent(old);
    QCOMPARE(found, expected);
}

void TestAccessCheck::message_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("has");
    QTest::addColumn<QStringList>("hasNot");
    const QStringList always{"/srv/room", "学校の IT 担当の方に直してもらってください。"};
    QTest::newRow("one") << 1 << always + QStringList{"「user/c0.dat」に書きこめません"} << QStringList{"ほか"};
    QTest::newRow("three: all named, no rest") << 3 << always + QStringList{"user/c2.dat"} << QStringList{"ほか"};
    QTest::newRow("five: three named, then the rest counted") << 5 << always + QStringList{"user/c2.dat", "・ほか 2 件"}
                                                              << QStringList{"user/c3.dat"};
}

void TestAccessCheck::message()
{
    QFETCH(int, count);
    QFETCH(QStringList, has);
    QFETCH(QStringList, hasNot);
    QList<Problem> problems;
    for (int i = 0; i < count; ++i)
        problems.append({Problem::FileNotWritable, QStringLiteral("user/c%1.dat").arg(i)});
    const QString text = accesscheck::message(problems, QStringLiteral("/srv/room"));
    for (const QString &s : has)
        QVERIFY2(text.contains(s), qPrintable(text));
    for (const QString &s : hasNot)
        QVERIFY2(!text.contains(s), qPrintable(text));
    QVERIFY(accesscheck::message({}, QStringLiteral("/srv/room")).isEmpty());
    QCOMPARE(accesscheck::message({{Problem::FolderNotWritable, "user"}, {Problem::FileNotReadable, "settei/settei.dat"}}, "/srv/room")
                 .split(QLatin1Char('\n'))
                 .mid(1, 2),
             (QStringList{"・フォルダ「user」に書きこめません", "・「settei/settei.dat」を読めません"}));
}

QTEST_GUILESS_MAIN(TestAccessCheck)
#include "tst_core_accesscheck.moc"
