// みんなでフラッシュ's paper as a PDF reader reads it back (pdftotext): 「答え」 with every line of the
// set on its one page, however long the questions, and 「解答用紙」 with its boxes.
#include "support/testmain.h"

#include "drill/classsheet.h"

#include <QProcess>

namespace {
// The pages' text as pdftotext reads it, one entry per page, spaces and line ends left out;
// compatibility forms folded (NFKC), for a font may map 十 to its radical's code point.
QStringList pdfPages(const QByteArray &pdf)
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("p.pdf")));
    if (!f.open(QIODevice::WriteOnly) || f.write(pdf) != pdf.size())
        return {QStringLiteral("<not written>")};
    f.close();
    QProcess run;
    run.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), f.fileName(), QStringLiteral("-")});
    if (!run.waitForFinished(30000) || run.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed (poppler-utils): %1>").arg(QString::fromLocal8Bit(run.readAllStandardError()))};
    QStringList pages = QString::fromUtf8(run.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (pages.last().trimmed().isEmpty())
        pages.removeLast();
    for (QString &page : pages)
        page = page.remove(QRegularExpression(QStringLiteral("\\s"))).normalized(QString::NormalizationForm_KC);
    return pages;
}
} // namespace

class TestClassSheet : public QObject {
    Q_OBJECT
private slots:
    void readBack_data();
    void readBack();
};

void TestClassSheet::readBack_data()
{
    QTest::addColumn<bool>("key"); // 答え, else 解答用紙
    QTest::addColumn<int>("grade");
    QTest::addColumn<GradeParams>("params");
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QStringList>("texts"); // in page order, spaces left out
    const QString program = QStringLiteral("検定用ぴかざん");
    QTest::newRow("答え 10級 0042, three questions")
        << true << 10 << GradeParams{1, 4, 4} << 42 << 3
        << QStringList{QStringLiteral("答え"), QStringLiteral("10級セット番号0042"), QStringLiteral("1けた4口4秒"),
                       QStringLiteral("1.3+7+1+7=18"), QStringLiteral("2.2+8+2+9=21"), QStringLiteral("3.1+5+1+9=16"), program};
    // Ten questions of fifteen three-digit numbers: the lines wrap, and the last is still there.
    QTest::newRow("答え 十段 1234, ten long questions")
        << true << 20 << GradeParams{3, 15, 3} << 1234 << 10
        << QStringList{QStringLiteral("答え"), QStringLiteral("十段セット番号1234"), QStringLiteral("3けた15口3秒"),
                       QStringLiteral("1.320+654+648+843+216+932+278+968+952+693+105+608+651+943+395=9206"),
                       QStringLiteral("10.515+989+341+375+712+539+896+439+153+929+752+941+541+686+409=9217"), program};
    QTest::newRow("解答用紙 10級 0042, three boxes")
        << false << 10 << GradeParams{1, 4, 4} << 42 << 3
        << QStringList{QStringLiteral("解答用紙"), QStringLiteral("10級セット番号0042"), QStringLiteral("名前"),
                       QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), program};
}

void TestClassSheet::readBack()
{
    QFETCH(bool, key);
    QFETCH(int, grade);
    QFETCH(GradeParams, params);
    QFETCH(int, set);
    QFETCH(int, questions);
    QFETCH(QStringList, texts);
    const classset::Made made = classset::build(grade, params, set, questions);
    QVERIFY2(made.set, qPrintable(made.refusal));
    const QByteArray pdf = key ? classsheet::answerKeyPdf(*made.set) : classsheet::answerSheetPdf(*made.set);
    QVERIFY(pdf.startsWith("%PDF-"));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    qsizetype at = 0;
    for (const QString &t : texts) {
        const qsizetype found = pages[0].indexOf(t, at);
        QVERIFY2(found >= 0, qPrintable(QStringLiteral("%1 not after %2 in %3").arg(t).arg(at).arg(pages[0])));
        at = found + t.size();
    }
    // Nothing on the sheet but what is asked: no answers on the children's paper, no box past the last.
    if (!key) {
        const QString below = pages[0].mid(pages[0].indexOf(QStringLiteral("名前")));
        QVERIFY2(!below.contains(QLatin1Char('=')) && !below.contains(QLatin1Char('4')), qPrintable(below));
    }
}

PZ_GUI_TEST_MAIN(TestClassSheet)
#include "tst_classsheet.moc"
