// The result sheet: its layout, the marks and counts by text, the history line appended once per
// showing, a failed append, and the close that clears the answers.
#include "support/testmain.h"
#include "drill/drillsession.h"

#include "drill/kotae.h"
#include "drill/option.h"
#include "platform/textfile.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "users/pending.h"
#include "users/userstore.h"

#include <QLabel>
#include <QTimer>

using testsupport::Program;
using testsupport::recorder;
using testsupport::cp932Lines;

namespace {
const QString kUser = QStringLiteral("はなこ");
const QStringList kSums{"15", "23", "8", "30", "12", "19", "27", "11", "16", "21"};

QLabel *cell(TForm4 *sheet, const QString &name)
{
    auto *l = sheet->findChild<QLabel *>(name);
    if (!l)
        qWarning("no cell %s", qPrintable(name));
    return l;
}

QColor textColour(QLabel *l) { return l->palette().color(QPalette::Active, QPalette::WindowText); }

QString recordRelPath() { return QStringLiteral("user/") + kUser + QStringLiteral(".dat"); }

// A drill just ended: answers, typed texts, grade and verdict.
void drillAnswers(Program &p, const QStringList &typed, const QString &verdict, const QDate &today = QDate(2004, 7, 5))
{
    SharedState &s = p.state();
    s.userName = kUser;
    s.gradeName = QStringLiteral("１０級");
    // Through the drill's own steps, one number per question.
    QList<int> sums;
    for (const QString &sum : kSums)
        sums << sum.toInt();
    QCOMPARE(testsupport::playDrill(s, sums, typed, today), verdict);
}

// The first drill of a child: its answers, and the history file as registration made it.
void endDrill(Program &p, const QStringList &typed, const QString &verdict, const QDate &today = QDate(2004, 7, 5))
{
    drillAnswers(p, typed, verdict, today);
    p.writeFile(recordRelPath(), cp932Lines({userstore::recordHeader()}));
}

// Shows the sheet as the verdict screen does and waits for its fill job.
void showAndFill(TForm4 *sheet)
{
    sheet->Show();
    sheet->startFill();
    QTRY_VERIFY_WITH_TIMEOUT(!sheet->Timer1->isActive(), 10000);
}
} // namespace

class TestResultSheet : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void longAnswerStaysInItsCell_data();
    void longAnswerStaysInItsCell();
    void fill_data();
    void fill();
    void fillRunsOncePerShowing();
    void failedAppend_data();
    void failedAppend();
    void keptLineFollowsTheNextWrittenOne();
    void closeClearsAnswersAndReturns_data();
    void closeClearsAnswersAndReturns();
    void closedBeforeFillAppendsOnce();
};

void TestResultSheet::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    const QColor white(Qt::white), red(255, 0, 0), blue(90, 170, 255);
    layoutRow("Label1", {253, 17}, {}, QStringLiteral("答え"), 21, white, 1);
    layoutRow("Label2", {437, 16}, {}, QStringLiteral("入力した答え"), 21, white, 1);
    const char *const titles[] = {"一問目", "二問目", "三問目", "四問目", "五問目", "六問目", "七問目", "八問目", "九問目", "十問目"};
    for (int k = 1; k <= 10; ++k) {
        const int top = 55 + 48 * (k - 1);
        const auto row = [](const QString &name) { return name.toLatin1(); };
        layoutRow(row(TForm4::titleCellName(k)).constData(), {101, top}, {}, QString::fromUtf8(titles[k - 1]), 27, white, 1);
        layoutRow(row(TForm4::answerCellName(k)).constData(), {245, top}, {}, QString(), 27, red, 1);
        layoutRow(row(TForm4::typedCellName(k)).constData(), {453, top}, {}, QString(), 27, white, 1);
        layoutRow(row(TForm4::markCellName(k)).constData(), {605, top}, {}, QString(), 27, blue, 1);
        layoutRow(row(QStringLiteral("Bevel%1").arg(2 * k - 1)).constData(), {85, 47 + 48 * (k - 1)}, {625, 25});
        layoutRow(row(QStringLiteral("Bevel%1").arg(2 * k)).constData(), {85, 71 + 48 * (k - 1)}, {625, 17});
    }
    layoutRow("Label43", {200, 522}, {}, QStringLiteral("問正解    　問不正解"), 48, white);
    layoutRow("Label44", {150, 521}, {}, QString(), 48, blue);
    layoutRow("Label45", {383, 522}, {}, QString(), 48, red);
    layoutRow("Label46", {728, 540}, {}, QStringLiteral("もどる"), 24, Qt::black, 1);
    layoutRow("Image1", {720, 520}, {81, 73});
}

void TestResultSheet::layout()
{
    Program p;
    TForm4 *sheet = p.screens().resultSheet;
    testsupport::checkLayoutRow(sheet);
    QCOMPARE(sheet->palette().color(QPalette::Window), QColor(0, 0, 160));
    QCOMPARE(sheet->Timer1->interval(), 10);
    QVERIFY(!sheet->Timer1->isActive());
}

void TestResultSheet::longAnswerStaysInItsCell_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fullSize");
    QTest::newRow("a sum's length keeps the size") << "123" << true;
    // Whether nine digits fit at full size depends on the bold face's digit widths.
    const bool nineFit = QFontMetrics(style::font(27, true)).horizontalAdvance(QStringLiteral("123456789")) <= 605 - 453 - 4;
    QTest::newRow("nine digits") << "123456789" << nineFit;
    QTest::newRow("the largest answer") << "2147483647" << false;
}

void TestResultSheet::longAnswerStaysInItsCell()
{
    // Whatever its length, the typed answer ends before the mark of its row begins, and is shown
    // whole.
    QFETCH(QString, typed);
    QFETCH(bool, fullSize);
    Program p;
    TForm4 *sheet = p.screens().resultSheet;
    QStringList answers = kSums;
    answers[4] = typed;
    endDrill(p, answers, QStringLiteral("合格"));
    showAndFill(sheet);
    QLabel *cellTyped = cell(sheet, TForm4::typedCellName(5));
    QLabel *mark = cell(sheet, TForm4::markCellName(5));
    QCOMPARE(cellTyped->text(), typed);
    QCOMPARE(mark->text(), QStringLiteral("×"));
    QVERIFY2(cellTyped->geometry().right() < mark->x(), qPrintable(QString::number(cellTyped->geometry().right())));
    QVERIFY(QFontMetrics(cellTyped->font()).horizontalAdvance(typed) <= cellTyped->width());
    QCOMPARE(cellTyped->font().pixelSize() == 27, fullSize);
    // The next drill's short answer is back at full size.
    sheet->Close();
    endDrill(p, kSums, QStringLiteral("合格"));
    showAndFill(sheet);
    QCOMPARE(cell(sheet, TForm4::typedCellName(5))->font().pixelSize(), 27);
}

void TestResultSheet::fill_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("marks");   // one character per row
    QTest::addColumn<QString>("line");

    QTest::newRow("ten right") << kSums << "合格" << "○○○○○○○○○○" << "１０級,2004/7/05,10,0,合格";
    QStringList seven = kSums;
    seven[0] = "51"; seven[5] = ""; seven[9] = "12";
    QTest::newRow("seven right") << seven << "不合格" << "×○○○○×○○○×" << "１０級,2004/7/05,7,3,不合格";
    QStringList eight = kSums;
    eight[2] = "9"; eight[3] = "31";
    QTest::newRow("eight right") << eight << "合格" << "○○××○○○○○○" << "１０級,2004/7/05,8,2,合格";
    // Judged by value the leading-zero answers passed the drill; the sheet compares texts.
    QStringList zeros = kSums;
    zeros[1] = "023"; zeros[6] = "0027";
    QTest::newRow("leading zeros marked wrong") << zeros << "合格" << "○×○○○○×○○○" << "１０級,2004/7/05,8,2,合格";
    QStringList nine = kSums;
    nine[4] = "21";
    QTest::newRow("nine right") << nine << "合格" << "○○○○×○○○○○" << "１０級,2004/7/05,9,1,合格";
    QTest::newRow("none right") << QStringList(10, "1") << "不合格" << "××××××××××" << "１０級,2004/7/05,0,10,不合格";
}

void TestResultSheet::fill()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, verdict);
    QFETCH(QString, marks);
    QFETCH(QString, line);
    Program p;
    TForm4 *sheet = p.screens().resultSheet;
    endDrill(p, typed, verdict);
    showAndFill(sheet);

    int correct = 0;
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(cell(sheet, TForm4::answerCellName(k))->text(), kSums[k - 1]);
        QCOMPARE(cell(sheet, TForm4::typedCellName(k))->text(), typed[k - 1]);
        QLabel *mark = cell(sheet, TForm4::markCellName(k));
        QCOMPARE(mark->text(), QString(marks[k - 1]));
        const bool right = marks[k - 1] == QChar(u'○');
        correct += right;
        QCOMPARE(textColour(mark), right ? QColor(90, 170, 255) : QColor(255, 0, 0));
    }
    QCOMPARE(sheet->Label44->text(), QString::number(correct));
    QCOMPARE(sheet->Label45->text(), QString::number(10 - correct));
    // Where they always stood, and clear of the words after them, "10" as well as "0".
    QCOMPARE(sheet->Label44->pos(), QPoint(150, 521));
    QCOMPARE(sheet->Label45->pos(), QPoint(383, 522));
    const auto inkRight = [](QLabel *l) {
        return l->x() + l->contentsRect().left() + QFontMetricsF(l->font()).tightBoundingRect(l->text()).right();
    };
    const auto inkLeft = [sheet](const QString &before) {
        const QFontMetricsF fm(sheet->Label43->font());
        return sheet->Label43->x() + sheet->Label43->contentsRect().left() + fm.horizontalAdvance(before)
             + fm.tightBoundingRect(QStringLiteral("問")).left();
    };
    QVERIFY2(inkRight(sheet->Label44) < inkLeft(QString()), qPrintable(sheet->Label44->text()));
    QVERIFY2(inkRight(sheet->Label45) < inkLeft(QStringLiteral("問正解    　")), qPrintable(sheet->Label45->text()));
    QVERIFY(recorder().boxes.isEmpty());
    QCOMPARE(p.readFile(QStringLiteral("user/") + kUser + QStringLiteral(".dat")),
             cp932Lines({userstore::recordHeader(), line}));
}

void TestResultSheet::fillRunsOncePerShowing()
{
    Program p;
    TForm4 *sheet = p.screens().resultSheet;
    endDrill(p, kSums, QStringLiteral("合格"));
    showAndFill(sheet);
    QTest::qWait(100); // a timer left running would append again within this
    const QStringList first{userstore::recordHeader(), QStringLiteral("１０級,2004/7/05,10,0,合格")};
    QCOMPARE(p.readFile(recordRelPath()), cp932Lines(first));

    // The next drill's sheet appends its own line after the first.
    sheet->Close();
    QStringList typed = kSums;
    typed[0] = "5";
    drillAnswers(p, typed, QStringLiteral("合格"));
    showAndFill(sheet);
    QTest::qWait(100);
    QCOMPARE(p.readFile(recordRelPath()), cp932Lines(first + QStringList{QStringLiteral("１０級,2004/7/05,9,1,合格")}));
}

void TestResultSheet::failedAppend_data()
{
    QTest::addColumn<bool>("directoryInTheWay");
    QTest::newRow("history file missing") << false;
    QTest::newRow("history file cannot be opened for writing") << true;
}

void TestResultSheet::failedAppend()
{
    QFETCH(bool, directoryInTheWay);
    Program p;
    TForm4 *sheet = p.screens().resultSheet;
    QStringList typed = kSums;
    typed[3] = "3";
    endDrill(p, typed, QStringLiteral("合格"));
    const QString path = QStringLiteral("user/") + kUser + QStringLiteral(".dat");
    QVERIFY(QFile::remove(p.path(path)));
    if (directoryInTheWay)
        QVERIFY(QDir(p.path(QString())).mkpath(path)); // a folder where the file should be

    showAndFill(sheet);
    QTest::qWait(100);
    QCOMPARE(recorder().boxes.size(), 1); // once: no second tick behind the box
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY2(recorder().boxes[0].text.contains(kUser), qPrintable(recorder().boxes[0].text));
    QVERIFY(!sheet->Timer1->isActive());
    // The sheet keeps what it worked out; nothing was created.
    QCOMPARE(cell(sheet, TForm4::markCellName(4))->text(), QStringLiteral("×"));
    QCOMPARE(cell(sheet, TForm4::markCellName(5))->text(), QStringLiteral("○"));
    QCOMPARE(sheet->Label44->text(), QStringLiteral("9"));
    QCOMPARE(sheet->Label45->text(), QStringLiteral("1"));
    QCOMPARE(QFileInfo(p.path(path)).isDir(), directoryInTheWay);
    QVERIFY(!QFileInfo(p.path(path)).isFile());
    QVERIFY(sheet->isVisible());
}

void TestResultSheet::keptLineFollowsTheNextWrittenOne()
{
    // A drill whose line could not be written is kept aside, said so in the error box, and lands
    // (once) right after the next drill whose line could.
    Program p;
    TForm4 *sheet = p.screens().resultSheet;
    QStringList typed = kSums;
    typed[3] = "3";
    drillAnswers(p, typed, QStringLiteral("合格"));
    showAndFill(sheet); // no history file yet
    QCOMPARE(recorder().boxes.size(), 1);
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("とっておき")), qPrintable(recorder().boxes[0].text));
    const auto keptHere = [] {
        QList<pending::Entry> here = pending::entries();
        here.removeIf([](const pending::Entry &e) { return e.classroom != pending::classroomHere(); });
        return here;
    };
    QCOMPARE(keptHere().size(), 1);
    QCOMPARE(keptHere()[0].user, kUser);
    sheet->Close();
    QVERIFY(!p.state().drill->pendingRecord()); // kept aside, so the way out does not write it too

    p.writeFile(QStringLiteral("user/") + kUser + QStringLiteral(".psw"), cp932Lines({QStringLiteral("pw")}));
    endDrill(p, kSums, QStringLiteral("合格"), QDate(2004, 7, 6));
    showAndFill(sheet);
    sheet->Close();
    sheet->recordFinishedDrill(); // the way out writes nothing more
    QCOMPARE(p.readFile(recordRelPath()), cp932Lines({userstore::recordHeader(), QStringLiteral("１０級,2004/7/06,10,0,合格"),
                                                      QStringLiteral("１０級,2004/7/05,9,1,合格")}));
    QCOMPARE(keptHere().size(), 0);
    QCOMPARE(recorder().boxes.size(), 1);
}

void TestResultSheet::closeClearsAnswersAndReturns_data()
{
    QTest::addColumn<bool>("byPicture");
    QTest::newRow("click on もどる") << false;
    QTest::newRow("right button down on the picture") << true;
}

void TestResultSheet::closeClearsAnswersAndReturns()
{
    QFETCH(bool, byPicture);
    Program p;
    TForm4 *sheet = p.screens().resultSheet;
    TForm3 *grades = p.screens().gradeSelection;
    grades->Show();
    endDrill(p, kSums, QStringLiteral("合格"));
    showAndFill(sheet);
    QCOMPARE(p.app().activeScreen(), sheet);

    if (byPicture)
        QTest::mousePress(sheet->Image1, Qt::RightButton, {}, QPoint(40, 36));
    else
        QTest::mouseClick(sheet->Label46, Qt::LeftButton);

    QVERIFY(!sheet->isVisible());
    QCOMPARE(p.app().activeScreen(), grades);
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(cell(sheet, TForm4::answerCellName(k))->text(), QString());
        QCOMPARE(cell(sheet, TForm4::typedCellName(k))->text(), QString());
        QCOMPARE(cell(sheet, TForm4::markCellName(k))->text(), QStringLiteral("○")); // kept until the next fill
    }
    QCOMPARE(sheet->Label44->text(), QStringLiteral("10"));
    QCOMPARE(sheet->Label45->text(), QStringLiteral("0"));
}

void TestResultSheet::closedBeforeFillAppendsOnce()
{
    // A sheet closed before its fill tick still records the finished drill, once, from its answers.
    Program p;
    TForm4 *sheet = p.screens().resultSheet;
    QStringList typed = kSums;
    typed[6] = "72";
    endDrill(p, typed, QStringLiteral("合格"), QDate(2004, 11, 12));
    sheet->Show();
    sheet->startFill();
    sheet->Close(); // before the 10 ms tick
    QVERIFY(!sheet->Timer1->isActive());
    QTest::qWait(100);
    QCOMPARE(p.readFile(recordRelPath()),
             cp932Lines({userstore::recordHeader(), QStringLiteral("１０級,2004/11/12,9,1,合格")}));
    QVERIFY(recorder().boxes.isEmpty());
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(cell(sheet, TForm4::answerCellName(k))->text(), QString());
        QCOMPARE(cell(sheet, TForm4::typedCellName(k))->text(), QString());
    }

    // Shown and closed again without a fill: nothing more.
    sheet->Show();
    sheet->Close();
    QTest::qWait(50);
    QCOMPARE(p.readFile(recordRelPath()).count("\r\n"), 2);
}

PZ_GUI_TEST_MAIN(TestResultSheet)
#include "tst_result.moc"
