// 合格証: the certificate's text as a PDF reader reads it back (pdftotext), for the latest pass of a
// child's history; no file for a child without a pass or a target inside the classroom; and the
// 合格証 button of the students' records, with the save dialog answered by the test.
#include "support/filesizelimit.h"
#include "support/studentsrecords.h"

#include "base/errors.h"
#include "kit/saveflow.h"
#include "records/certificate.h"
#include "records/mastergate.h"
#include "shell/main.h"
#include "users/userstore.h"

#include <QListWidget>
#include <QProcess>

using testsupport::cp932Lines;
using testsupport::Program;
using testsupport::recorder;

namespace {
// The page's text as pdftotext reads it, with spaces and line ends left out; nothing folded, so
// that 十 read back as its radical ⼗ (a search for the name would miss it) fails.
QString pdfText(const QString &file)
{
    QProcess run;
    run.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    if (!run.waitForFinished(30000) || run.exitCode() != 0)
        return QStringLiteral("<pdftotext failed (poppler-utils): %1>").arg(QString::fromLocal8Bit(run.readAllStandardError()));
    return QString::fromUtf8(run.readAllStandardOutput()).remove(QRegularExpression(QStringLiteral("\\s")));
}
} // namespace

class TestCertificate : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder().clear(); saveflow::setChooser({}); }
    void make_data();
    void make();
    void insideTheClassroom();
    void throughTheButton_data();
    void throughTheButton();
};

void TestCertificate::make_data()
{
    QTest::addColumn<QStringList>("drills");
    QTest::addColumn<QStringList>("expected"); // the texts in page order; empty: no pass, no file
    const QString header = QStringLiteral("合格証");
    const QString program = QStringLiteral("検定用ぴかざん");
    QTest::newRow("one pass")
        << QStringList{QStringLiteral("１０級,2026/11/01,9,1,合格")}
        << QStringList{header, QStringLiteral("たろうさん"), QStringLiteral("１０級合格"), QStringLiteral("2026年11月1日"), program};
    QTest::newRow("the latest pass, not the highest; a later failure and damage ignored")
        << QStringList{QStringLiteral("初段,2026/10/01,9,1,合格"), QStringLiteral("３級,2026/12/5,10,0,合格"),
                       QStringLiteral("２級,2026/12/06,3,7,不合格"), QStringLiteral("１級,こわれた,9,1,合格")}
        << QStringList{header, QStringLiteral("たろうさん"), QStringLiteral("３級合格"), QStringLiteral("2026年12月5日"), program};
    QTest::newRow("a dan grade, a date without leading zeros") << QStringList{QStringLiteral("十段,2009/3/5,10,0,合格")}
                                                     << QStringList{header, QStringLiteral("十段合格"), QStringLiteral("2009年3月5日")};
    QTest::newRow("only failures: no pass") << QStringList{QStringLiteral("９級,2026/12/05,3,7,不合格")} << QStringList{};
    QTest::newRow("no drills: no pass") << QStringList{} << QStringList{};
}

void TestCertificate::make()
{
    QFETCH(QStringList, drills);
    QFETCH(QStringList, expected);
    Program p;
    addUser(p, QStringLiteral("たろう"), drills);
    QTemporaryDir away;
    const QString file = away.filePath(QStringLiteral("c.pdf"));
    const std::optional<certificate::Pass> pass = certificate::make(p.classroom(), QStringLiteral("たろう"), file).pass;
    QCOMPARE(pass.has_value(), !expected.isEmpty());
    QCOMPARE(QFileInfo::exists(file), !expected.isEmpty());
    if (expected.isEmpty())
        return;
    const QString text = pdfText(file);
    qsizetype at = 0;
    for (const QString &t : expected) {
        const qsizetype found = text.indexOf(t, at);
        QVERIFY2(found >= 0, qPrintable(t + QStringLiteral(" not in order in: ") + text));
        at = found + t.size();
    }
}

static QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void TestCertificate::insideTheClassroom()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), {QStringLiteral("１０級,2026/11/01,9,1,合格")});
    for (const QString &file : {QStringLiteral("c.pdf"), QStringLiteral("user/c.pdf")}) {
        QVERIFY(!certificate::make(p.classroom(), QStringLiteral("たろう"), p.path(file)).refusal.isEmpty());
        QVERIFY(!QFileInfo::exists(p.path(file)));
    }
    // Never through a link, not even one outside to a child's history.
    QTemporaryDir outside;
    const QString history = QFileInfo(userstore::recordPath(QStringLiteral("たろう"))).absoluteFilePath();
    const QByteArray kept = readAll(history);
    QVERIFY(QFile::link(history, outside.filePath(QStringLiteral("x.pdf"))));
    QVERIFY(!certificate::make(p.classroom(), QStringLiteral("たろう"), outside.filePath(QStringLiteral("x.pdf"))).refusal.isEmpty());
    QCOMPARE(readAll(history), kept);
    // A write that fails part-way (a full disk) leaves the old certificate whole and says so.
    const QString good = outside.filePath(QStringLiteral("good.pdf"));
    QVERIFY(certificate::make(p.classroom(), QStringLiteral("たろう"), good).pass);
    const QByteArray before = readAll(good);
    {
        FileSizeLimit full(1024);
        QVERIFY_THROWS_EXCEPTION(pz::IoError, certificate::make(p.classroom(), QStringLiteral("たろう"), good));
    }
    QCOMPARE(readAll(good), before);
    QCOMPARE(QDir(outside.path()).entryList(QDir::Hidden | QDir::Files).size(), 2); // no temporary left
    // A name that is no registered child.
    QTemporaryDir away;
    const certificate::Made unknown = certificate::make(p.classroom(), QStringLiteral("じろう"), away.filePath(QStringLiteral("c.pdf")));
    QCOMPARE(unknown.refusal, QStringLiteral("「じろう」という名前の人は登録されていません。")); // a name, not a file
    QVERIFY(!unknown.pass);
    QVERIFY(QDir(away.path()).isEmpty());
}

void TestCertificate::throughTheButton_data()
{
    QTest::addColumn<QString>("chosen"); // the name clicked in the list; "" clicks none
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("message"); // the start of the one message; "" none
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("failedMeanwhile"); // the history left with a failure only, while the dialog is open
    QTest::newRow("a pass, saved") << QStringLiteral("たろう") << false << QStringLiteral("たろうさんの合格証を保存しました。") << true << false;
    QTest::newRow("a pass, cancelled") << QStringLiteral("たろう") << true << QString() << false << false;
    QTest::newRow("no pass: said, no dialog") << QStringLiteral("はなこ") << false
                                              << QStringLiteral("はなこさんにはまだ合格した級がありません。") << false << false;
    QTest::newRow("no name chosen") << QString() << false << QStringLiteral("合格証を作る名前を選んでください。") << false << false;
    QTest::newRow("the history emptied while the dialog is open") << QStringLiteral("たろう") << false
                                              << QStringLiteral("たろうさんにはまだ合格した級がありません。") << false << true;
}

void TestCertificate::throughTheButton()
{
    QFETCH(QString, chosen);
    QFETCH(bool, cancel);
    QFETCH(QString, message);
    QFETCH(bool, written);
    QFETCH(bool, failedMeanwhile);
    Program p;
    addUser(p, QStringLiteral("たろう"), {QStringLiteral("３級,2026/12/05,10,0,合格")});
    addUser(p, QStringLiteral("はなこ"), {QStringLiteral("９級,2026/12/05,3,7,不合格")});
    QTemporaryDir away;
    const QString file = away.filePath(QStringLiteral("c.pdf"));
    QString suggested;
    saveflow::setChooser([&](const QString &s) {
        suggested = s;
        if (failedMeanwhile) // the history rewritten elsewhere: only a failure left
            p.writeFile(QStringLiteral("user/たろう.dat"), cp932Lines({userstore::recordHeader(), QStringLiteral("３級,2026/12/05,3,7,不合格")}));
        return cancel ? QString() : file;
    });
    TForm13 *f = studentsrecords::open(p);
    if (!chosen.isEmpty())
        studentsrecords::choose(f, chosen);
    auto *button = f->findChild<QWidget *>(QStringLiteral("Label8"));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton); // 合格証
    QCOMPARE(QFileInfo::exists(file), written);
    if (chosen == QStringLiteral("たろう")) {
        QCOMPARE(QFileInfo(suggested).absolutePath(), QDir::homePath());
        QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("合格証-たろう.pdf"));
    } else {
        QVERIFY(suggested.isEmpty()); // no dialog
    }
    QCOMPARE(recorder().boxes.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(recorder().boxes[0].text.startsWith(message), qPrintable(recorder().boxes[0].text));
    if (written)
        QVERIFY(pdfText(file).contains(QStringLiteral("たろうさん")));
    QCOMPARE(p.app().activeScreen(), f);
}

PZ_GUI_TEST_MAIN(TestCertificate)
#include "tst_certificate.moc"
