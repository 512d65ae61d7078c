// みんなでフラッシュ's paper as a PDF reader reads it back (pdftotext): 「答え」 with every line on its
// one page however long the questions, and 「解答用紙」 with its boxes and no answers.
#include "support/testmain.h"

#include "drill/classsheet.h"
#include "kit/pdfpage.h"

#include <QProcess>

class TestClassSheet : public QObject {
    Q_OBJECT
private slots:
    void ideographsInTheTextLayer();
    void readBack_data()
    {
        QTest::addColumn<bool>("key"); // 答え, else 解答用紙
        QTest::addColumn<int>("grade");
        QTest::addColumn<GradeParams>("params");
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("texts"); // in page order, spaces left out, as written
        QTest::newRow("答え 10級 0042") << true << 10 << GradeParams{1, 4, 4} << 42 << 3
                                     << QStringList{"答え", "１０級セット番号0042", "1けた4口4秒", "1.3+7+1+7=18", "2.2+8+2+9=21",
                                                    "3.1+5+1+9=16", "検定用ぴかざん"};
        // Ten questions of fifteen three-digit numbers: the lines wrap, and the last is still there.
        QTest::newRow("答え 十段 1234") << true << 20 << GradeParams{3, 15, 3} << 1234 << 10
                                     << QStringList{"十段セット番号1234", "3けた15口3秒",
                                                    "1.320+654+648+843+216+932+278+968+952+693+105+608+651+943+395=9206",
                                                    "10.515+989+341+375+712+539+896+439+153+929+752+941+541+686+409=9217"};
        QTest::newRow("解答用紙 10級 0042") << false << 10 << GradeParams{1, 4, 4} << 42 << 3
                                       << QStringList{"解答用紙", "１０級セット番号0042", "名前", "1", "2", "3", "検定用ぴかざん"};
    }
    void readBack()
    {
        QFETCH(bool, key);
        QFETCH(int, grade);
        QFETCH(GradeParams, params);
        QFETCH(int, set);
        QFETCH(int, questions);
        QFETCH(QStringList, texts);
        const classset::ClassSet cs = *classset::build(grade, params, set, questions).set;
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("p.pdf")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(key ? classsheet::answerKeyPdf(cs) : classsheet::answerSheetPdf(cs));
        f.close();
        QProcess run;
        run.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), f.fileName(), QStringLiteral("-")});
        QVERIFY2(run.waitForFinished(30000) && run.exitCode() == 0, "pdftotext (poppler-utils)");
        // One page: one form feed, at the end.
        // Nothing folded: 用 read back as the radical ⽤ would not be found by a search for 解答用紙.
        const QString page = QString::fromUtf8(run.readAllStandardOutput());
        QCOMPARE(page.count(QLatin1Char('\f')), 1);
        const QString text = QString(page).remove(QRegularExpression(QStringLiteral("\\s")));
        qsizetype at = 0;
        for (const QString &t : texts) {
            at = text.indexOf(t, at);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("%1 missing or out of order in %2").arg(t, text)));
        }
        // The children's paper has no answers and no box past the last question.
        const QString below = text.mid(text.indexOf(QStringLiteral("名前")));
        if (!key)
            QVERIFY2(!below.contains(QLatin1Char('=')) && !below.contains(QLatin1Char('4')), qPrintable(below));
    }

    // Several children's sheets on the one page, as many as fit the questions, each with its fields
    // and its own boxes 1 … n.
    void sheetsOnAPage_data()
    {
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("sheets");
        QTest::newRow("1 question") << 1 << 8;
        QTest::newRow("3 questions") << 3 << 4;
        QTest::newRow("4 questions") << 4 << 4;
        QTest::newRow("5 questions") << 5 << 2;
        QTest::newRow("10 questions") << 10 << 2;
    }
    void sheetsOnAPage()
    {
        QFETCH(int, questions);
        QFETCH(int, sheets);
        QCOMPARE(classsheet::sheetsPerPage(questions), sheets);
        const classset::ClassSet cs = *classset::build(10, GradeParams{1, 4, 4}, 42, questions).set;
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("p.pdf")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(classsheet::answerSheetPdf(cs));
        f.close();
        QProcess run;
        run.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), f.fileName(), QStringLiteral("-")});
        QVERIFY2(run.waitForFinished(30000) && run.exitCode() == 0, "pdftotext (poppler-utils)");
        const QString page = QString::fromUtf8(run.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
        QCOMPARE(page.count(QLatin1Char('\f')), 1);
        QCOMPARE(page.count(QStringLiteral("名前")), sheets);
        QCOMPARE(page.count(QStringLiteral("日付")), sheets);
        QCOMPARE(page.count(QStringLiteral("点数")), sheets);
        QCOMPARE(page.count(QStringLiteral("/%1").arg(questions)), sheets);
        // Each sheet's last box, and none past it.
        const QString text = QString(page).remove(QRegularExpression(QStringLiteral("\\s")));
        QVERIFY2(!text.contains(QStringLiteral("点数/%1%2").arg(questions).arg(questions + 1)), qPrintable(text));
    }
};

// The text layer's table from glyphs to characters, as the PDF writer puts it: a radical given for
// a glyph that the font shares with an ideograph becomes the ideograph, in place; glyph numbers
// and a run of consecutive codes stay as they are.
void TestClassSheet::ideographsInTheTextLayer()
{
    const QByteArray head = "1 0 obj\n<< /Length 9 >>\nstream\nbegincmap\n4 beginbfrange\n<0000> <0000> <0000>\n";
    const QByteArray tail = "endbfrange\nendcmap\nendstream\n";
    const QByteArray in = head + "<0001> <0001> <2F64>\n<0002> <0004> [<2F64> <89E3> <2F17> ]\n<2F64> <2F64> <7528>\n<0010> <0019> <2F00>\n" + tail;
    const QByteArray out = head + "<0001> <0001> <7528>\n<0002> <0004> [<7528> <89E3> <5341> ]\n<2F64> <2F64> <7528>\n<0010> <0019> <2F00>\n" + tail;
    QCOMPARE(pdfpage::withIdeographs(in), out);
    // Outside a table nothing changes, even what looks like one's entry.
    const QByteArray loose = "<0001> <0001> <2F64>\nbeginbfrange";
    QCOMPARE(pdfpage::withIdeographs(loose), loose);
}

PZ_GUI_TEST_MAIN(TestClassSheet)
#include "tst_classsheet.moc"
