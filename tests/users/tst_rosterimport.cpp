// 名簿から登録 on the teacher's screen: the list chosen, the plan shown line by line, nothing written
// until 登録する, the new children in the teacher's list afterwards, and their login cards read back
// from the PDF (pdftotext).
#include "support/studentsrecords.h"

#include "kit/CuteBtn.h"
#include "kit/saveflow.h"
#include "users/logincards.h"
#include "users/rosterimport.h"

#include <QProcess>
#include <QRegularExpression>

using testsupport::Program;
using testsupport::recorder;
using namespace studentsrecords;

namespace {
// The text as pdftotext reads it: raw (a form feed ends each page), or without blanks and with
// compatibility forms folded.
QString pdfRaw(const QString &file)
{
    QProcess run;
    run.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    if (!run.waitForFinished(30000) || run.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(run.readAllStandardOutput());
}
QString pdfText(const QString &file)
{
    return pdfRaw(file).remove(QRegularExpression(QStringLiteral("\\s"))).normalized(QString::NormalizationForm_KC);
}

QStringList rows(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Presses 名簿から登録 and runs `inside` while the dialog is up; closed after five seconds at most.
void import(Program &p, const std::function<void(TRosterImport *)> &inside)
{
    QObject scope;
    TRosterImport *d = p.screens().rosterImport;
    bool ran = false;
    QTimer::singleShot(0, &scope, [&] {
        ran = d->isVisible() && p.app().modalRunning();
        if (ran)
            inside(d);
    });
    QTimer::singleShot(5000, &scope, [&] {
        if (d->isVisible())
            d->Close();
    });
    QTest::mouseClick(p.screens().studentsRecords->findChild<QLabel *>(QStringLiteral("Label12")), Qt::LeftButton);
    QVERIFY(ran);
}
} // namespace

class TestRosterImport : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        recorder().clear();
        saveflow::setChooser({});
        TRosterImport::setListChooser({});
    }
    void planThenRegister();
    void closeRegistersNothing();
    void cardsOnOnePage_data();
    void cardsOnOnePage();
};

void TestRosterImport::planThenRegister()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(1));
    QTemporaryDir outside;
    const QString list = outside.filePath(QStringLiteral("名簿.csv"));
    {
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // UTF-8 with its BOM: a new child with a password and 組, one to make up, one registered,
        // a duplicate.
        f.write("\xEF\xBB\xBF" "hana,ha2,1\xE7\xB5\x84\r\n" "jiro\r\n" "\xE3\x81\x9F\xE3\x82\x8D\xE3\x81\x86\r\n" "hana\r\n");
    }
    TRosterImport::setListChooser([&] { return list; });
    const QString cards = outside.filePath(QStringLiteral("cards.pdf"));
    saveflow::setChooser([&](const QString &) { return cards; });
    TForm13 *f = open(p);
    QStringList plan;
    QString summary;
    bool writtenEarly = true;
    import(p, [&](TRosterImport *d) {
        QTest::mouseClick(d->CuteButton1, Qt::LeftButton);
        plan = rows(d->ListBox1);
        summary = d->Label2->text();
        writtenEarly = exists(QStringLiteral("hana"), ".dat");
        QTest::mouseClick(d->CuteButton2, Qt::LeftButton);
    });
    QCOMPARE(plan.size(), 4);
    QCOMPARE(plan[0], QStringLiteral("1行目「hana」: 登録します（パスワード ha2、組 1組）"));
    QVERIFY2(plan[1].startsWith(QStringLiteral("2行目「jiro」: 登録します（パスワード ")) && plan[1].endsWith(QStringLiteral("、作りました）")),
             qPrintable(plan[1]));
    QCOMPARE(plan[2], QStringLiteral("3行目「たろう」: 「たろう」はもう登録されています（そのままにします）"));
    QCOMPARE(plan[3], QStringLiteral("4行目「hana」: 登録しません。1行目と同じ名前です"));
    QCOMPARE(summary, QStringLiteral("新しく登録 2人・登録ずみ 1人・登録しない 1行"));
    QVERIFY(!writtenEarly);
    QCOMPARE(p.readFile(QStringLiteral("user/hana.psw")), QByteArray("ha2\r\n"));
    const QByteArray jiro = p.readFile(QStringLiteral("user/jiro.psw"));
    QCOMPARE(jiro.size(), 8); // six characters and CR LF
    QVERIFY(!p.screens().rosterImport->isVisible());
    QCOMPARE(distinct(listed(f->ListBox1)), 3);
    QVERIFY(listed(f->ListBox1).contains(QStringLiteral("jiro")));
    QCOMPARE(recorder().texts().value(0), QStringLiteral("2人を登録しました。\nつぎに、ログインカードを保存します。"));
    QCOMPARE(recorder().texts().value(1), QStringLiteral("2人のログインカードを保存しました。\n%1").arg(cards));
    const QString text = pdfText(cards);
    QVERIFY2(text.contains(QStringLiteral("なまえhanaパスワードha2組1組")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("なまえjiroパスワード") + QString::fromLatin1(jiro.left(6))), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("たろう")), qPrintable(text));
}

void TestRosterImport::closeRegistersNothing()
{
    Program p;
    QTemporaryDir outside;
    const QString list = outside.filePath(QStringLiteral("list.txt"));
    {
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a\tpa\nb\tpb\n");
    }
    TRosterImport::setListChooser([&] { return list; });
    open(p);
    int shown = 0;
    import(p, [&](TRosterImport *d) {
        QTest::mouseClick(d->CuteButton1, Qt::LeftButton);
        shown = d->ListBox1->count();
        QTest::mouseClick(d->CuteButton3, Qt::LeftButton);
    });
    QCOMPARE(shown, 2);
    QVERIFY(!exists(QStringLiteral("a"), ".dat"));
    QVERIFY(!exists(QStringLiteral("b"), ".dat"));
    QVERIFY(recorder().boxes.isEmpty());
    // Opened again, it starts empty: 登録する with no list registers nothing and says what to do.
    import(p, [&](TRosterImport *d) {
        shown = d->ListBox1->count();
        QTest::mouseClick(d->CuteButton2, Qt::LeftButton);
        d->Close();
    });
    QCOMPARE(shown, 0);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("名簿のファイル（1行に1人：名前、パスワード、組）を選んで下さい")});
    QVERIFY(!exists(QStringLiteral("a"), ".dat"));
}

void TestRosterImport::cardsOnOnePage_data()
{
    QTest::addColumn<int>("children");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("one") << 1 << 3 << 12;
    QTest::newRow("a class of 36") << 36 << 3 << 12;
    QTest::newRow("37") << 37 << 4 << 16;
    QTest::newRow("64") << 64 << 4 << 16;
    QTest::newRow("65") << 65 << 5 << 20;
}

void TestRosterImport::cardsOnOnePage()
{
    QFETCH(int, children);
    QFETCH(int, columns);
    QFETCH(int, rows);
    const logincards::Grid g = logincards::gridFor(children);
    QCOMPARE(g.columns, columns);
    QCOMPARE(g.rows, rows);
    // Every card on the one page, the last one read back.
    Program p;
    QList<logincards::Card> cards;
    for (int i = 1; i <= children; ++i)
        cards.append({QStringLiteral("k%1").arg(i), QStringLiteral("pw%1").arg(i), QStringLiteral("2組")});
    QTemporaryDir outside;
    const QString file = outside.filePath(QStringLiteral("c.pdf"));
    QCOMPARE(logincards::writePdf(p.classroom(), cards, file), QString());
    QCOMPARE(pdfRaw(file).count(QLatin1Char('\f')), 1);
    const QString text = pdfText(file);
    QVERIFY2(text.contains(QStringLiteral("なまえk%1パスワードpw%1組2組").arg(children)), qPrintable(text.left(200)));
}

PZ_GUI_TEST_MAIN(TestRosterImport)
#include "tst_rosterimport.moc"
