// A child's records through the real screens when something goes wrong: a drill whose line could
// not be saved, histories holding a huge line or bytes that are no cp932 character.
#include "support/testmain.h"
#include "drill/drillsession.h"

#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/option.h"
#include "drill/start.h"
#include "drill/success.h"
#include "platform/textfile.h"
#include "records/kiroku.h"
#include "records/mastergate.h"
#include "records/recordgrid.h"
#include "shell/main.h"
#include "users/userstore.h"
#include "users/usrselect.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using testsupport::Program;
using testsupport::recorder;
using testsupport::cp932Lines;

namespace {
const QString kTaro = QStringLiteral("たろう");
const QString kHanako = QStringLiteral("はなこ");

void registered(Program &p, const QString &name)
{
    p.writeFile(userstore::recordPath(name), cp932Lines({userstore::recordHeader()}));
    p.writeFile(userstore::passwordPath(name), cp932Lines({QStringLiteral("pw")}));
}

// Logs in through the login dialog, as a child does.
void logIn(Program &p, const QString &name)
{
    TForm9 *f = p.screens().login;
    f->Show();
    const QList<QListWidgetItem *> items = f->ListBox1->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    f->ListBox1->setCurrentItem(items.first());
    f->Edit1->setText(QStringLiteral("pw"));
    QTest::keyClick(f->Edit1, Qt::Key_Return);
    QVERIFY(p.state().loggedIn);
    QCOMPARE(p.state().userName, name);
}
} // namespace

class TestRecordFaults : public QObject {
    Q_OBJECT
private slots:
    void failedSaveIsNotInventedLater_data();
    void failedSaveIsNotInventedLater();
    void damagedLinesKeepTheirColumns_data();
    void damagedLinesKeepTheirColumns();
};

void TestRecordFaults::failedSaveIsNotInventedLater_data()
{
    QTest::addColumn<bool>("taroDeleted"); // by the teacher on another computer, before the quit
    QTest::addColumn<QStringList>("taroAfter");
    QTest::addColumn<QStringList>("hanakoAfter");
    const QStringList header{userstore::recordHeader()};
    // Every answer "5" was wrong: the line the drill earned says so, and only it may be written.
    QTest::newRow("same child quits: the line as fixed at the verdict")
        << false << header + QStringList{QStringLiteral("１０級,2004/7/05,0,10,不合格")} << header;
    QTest::newRow("taro deleted, hanako logged in and quits: dropped, and said so") << true << QStringList() << header;
}

void TestRecordFaults::failedSaveIsNotInventedLater()
{
    QFETCH(bool, taroDeleted);
    QFETCH(QStringList, taroAfter);
    QFETCH(QStringList, hanakoAfter);
    folderlock::testing::setLockTiming(200, 15000);
    Program p;
    registered(p, kTaro);
    registered(p, kHanako);
    Screens &s = p.screens();
    s.mainMenu->Show();
    logIn(p, kTaro);
    s.resultSheet->setDateSource([] { return QDate(2004, 7, 5); });
    s.gradeSelection->Show();
    p.state().gradeName = QStringLiteral("１０級");
    s.flashScreen->Show();

    // While the drill runs, something in the lock's place makes every save fail. Each question is
    // flashed through the drill's own steps (one number, 10 + q), then answered in the answer box.
    for (int q = 1; q <= 10; ++q) {
        if (q == 5) {
            // Another program's fresh lock that nobody lets go of (a folder there would be moved aside).
            const QString lock = p.path(folderlock::lockPath(userstore::folder()));
            QVERIFY(QDir().mkpath(QFileInfo(lock).path()));
            QFile held(lock);
            QVERIFY(held.open(QIODevice::WriteOnly) && held.write("held elsewhere\n") > 0);
        }
        s.flashScreen->Timer1->stop();
        p.state().drill->numberShown(10 + q);
        p.state().drill->questionFinished();
        s.answerBox->Show();
        s.answerBox->Edit1->setText(QStringLiteral("5"));
        QTest::keyClick(s.answerBox->Edit1, Qt::Key_Return);
    }
    recorder().clear();
    QTest::keyClick(s.verdictBanner, Qt::Key_Return); // the sheet, and its fill
    QTRY_VERIFY_WITH_TIMEOUT(!s.resultSheet->Timer1->isActive(), 5000);
    QCOMPARE(s.resultSheet->Label44->text(), QStringLiteral("0"));
    QCOMPARE(s.resultSheet->Label45->text(), QStringLiteral("10"));
    QCOMPARE(recorder().boxes.size(), 1);
    QVERIFY(QFile::remove(p.path(folderlock::lockPath(userstore::folder()))));

    s.resultSheet->Label46Click(); // もどる
    s.gradeSelection->Close();        // もどる
    if (taroDeleted) {
        QCOMPARE(userstore::deleteUser(kTaro).outcome, userstore::DeleteResult::Outcome::Deleted);
        logIn(p, kHanako);
    }
    recorder().clear();
    s.mainMenu->Label4Click(); // おわる
    // The line was kept aside when the save failed; it lands on the way out, or is dropped aloud.
    if (taroDeleted) {
        QCOMPARE(recorder().boxes.size(), 1);
        QVERIFY(recorder().boxes[0].text.contains(QStringLiteral("１０級,2004/7/05,0,10,不合格")));
    } else {
        QVERIFY(recorder().boxes.isEmpty());
    }
    QCOMPARE(p.readFile(userstore::recordPath(kTaro)), taroAfter.isEmpty() ? QByteArray() : cp932Lines(taroAfter));
    QCOMPARE(p.readFile(userstore::recordPath(kHanako)), cp932Lines(hanakoAfter));
    folderlock::testing::setLockTiming(3000, 15000);
}

namespace {
// Row r of a records table, cells joined by '|'.
QString tableRow(const RecordGrid *g, int r)
{
    QStringList cells;
    for (int c = 0; c < 5; ++c)
        cells << g->Cells(c, r);
    return cells.join(QLatin1Char('|'));
}
} // namespace

void TestRecordFaults::damagedLinesKeepTheirColumns_data()
{
    // Line 2 of たろう's history is damaged; line 3 is a drill as written.
    QTest::addColumn<QByteArray>("damaged");
    QTest::addColumn<QString>("shown");
    const QString cut = QString(rowsplit::kMaxCell - 1, u'7') + QStringLiteral("…");
    QTest::newRow("bytes that are no cp932 character")
        << QByteArray::fromHex("626164802ca0782cfdfeff2c79") << QStringLiteral("bad\uFFFD|\uFFFDx|\uFFFD\uFFFD\uFFFD|y|");
    QTest::newRow("4 MiB in the third field")
        << textfile::encode(QStringLiteral("１０級,2004/7/11,") + QString(4 << 20, u'7') + QStringLiteral(",1,合格"))
        << QStringLiteral("１０級|2004/7/11|") + cut + QStringLiteral("|1|合格");
    QTest::newRow("15 MiB without a separator") << QByteArray(15 << 20, '7') << cut + QStringLiteral("||||");
}

void TestRecordFaults::damagedLinesKeepTheirColumns()
{
    // The child's own records and the teacher's view of them.
    QFETCH(QByteArray, damaged);
    QFETCH(QString, shown);
    Program p;
    registered(p, kTaro);
    p.writeFile(userstore::recordPath(kTaro), cp932Lines({userstore::recordHeader()}) + damaged + "\r\n" +
                                    cp932Lines({QStringLiteral("９級,2004/7/12,8,2,合格")}));
    Screens &s = p.screens();
    s.mainMenu->Show();
    logIn(p, kTaro);
    recorder().clear();
    s.mainMenu->Label2Click(); // きろくをみる
    s.studentsRecords->Show();
    s.studentsRecords->ListBox1->setCurrentRow(0);
    QCOMPARE(s.studentsRecords->Label1->text(), kTaro + QStringLiteral("さんの記録"));
    for (const RecordGrid *g : {s.ownRecords->StringGrid1, s.studentsRecords->StringGrid1}) {
        QCOMPARE(g->RowCount(), 4);
        QCOMPARE(tableRow(g, 1), shown);
        QCOMPARE(tableRow(g, 2), QStringLiteral("９級|2004/7/12|8|2|合格"));
    }
    QVERIFY(recorder().boxes.isEmpty());
}

PZ_GUI_TEST_MAIN(TestRecordFaults)
#include "tst_faults_records.moc"
