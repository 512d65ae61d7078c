// The classroom by name: the folder as it is on disk whatever name leads to it, never one relative
// to a working folder, and the paths of its files.
#include "base/classroom.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestClassroomFolder : public QObject {
    Q_OBJECT
    QTemporaryDir tmp_;
    QString real_; // tmp_ as it is on disk, then room/ inside it
private slots:
    void initTestCase()
    {
        QVERIFY(QDir(tmp_.path()).mkpath(QStringLiteral("room")));
        real_ = QDir(tmp_.path()).canonicalPath() + QStringLiteral("/room");
        QVERIFY(QFile::link(real_, tmp_.filePath(QStringLiteral("link"))));
    }
    void names_data();
    void names();
};

void TestClassroomFolder::names_data()
{
    QTest::addColumn<QString>("given");    // ROOM: the real folder; TMP: the temporary folder
    QTest::addColumn<QString>("root");     // "" for no classroom
    QTest::addColumn<QString>("settings");
    QTest::newRow("the folder") << "ROOM" << "ROOM" << "ROOM/settei/settei.dat";
    QTest::newRow("with a trailing slash and a dot") << "ROOM/./" << "ROOM" << "ROOM/settei/settei.dat";
    QTest::newRow("through a link") << "TMP/link" << "ROOM" << "ROOM/settei/settei.dat";
    QTest::newRow("not there yet: cleaned") << "/nowhere/a/../b/" << "/nowhere/b" << "/nowhere/b/settei/settei.dat";
    QTest::newRow("the root") << "/" << "/" << "/settei/settei.dat";
    QTest::newRow("relative: none") << "room" << "" << "";
    QTest::newRow("empty: none") << "" << "" << "";
}

void TestClassroomFolder::names()
{
    QFETCH(QString, given);
    QFETCH(QString, root);
    QFETCH(QString, settings);
    const auto place = [&](QString p) { return p.replace(QStringLiteral("ROOM"), real_).replace(QStringLiteral("TMP"), tmp_.path()); };
    const Classroom c(place(given));
    QCOMPARE(c.root(), place(root));
    QCOMPARE(c.isNull(), root.isEmpty());
    QCOMPARE(c.settings(), place(settings));
    if (root == QLatin1String("ROOM")) {
        QCOMPARE(c.user(), real_ + QStringLiteral("/user"));
        QCOMPARE(c.wav(), real_ + QStringLiteral("/wav"));
        QCOMPARE(c.countdownSound(), real_ + QStringLiteral("/wav/a.wav"));
        QCOMPARE(c, Classroom(tmp_.filePath(QStringLiteral("link"))));
    }
}

QTEST_GUILESS_MAIN(TestClassroomFolder)
#include "tst_core_classroomfolder.moc"
