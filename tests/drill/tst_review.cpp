// The second look at a question from the result sheet: the panel, its explanation, closing it,
// the replay through the flash screen, and what stays to be looked at.
#include "tests/support/eventloop.h"
#include "drill/drillsession.h"
#include "support/testmain.h"

#include "drill/MMTimer.h"
#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/numberlabel.h"
#include "drill/option.h"
#include "drill/reviewpanel.h"
#include "drill/start.h"
#include "drill/success.h"
#include "platform/textfile.h"
#include "shell/main.h"
#include "kit/widgets.h"
#include "users/userstore.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

using testsupport::cp932Lines;
using testsupport::Program;
using testsupport::recorder;

namespace {
const QString kUser = QStringLiteral("はなこ");
QString recordRelPath() { return QStringLiteral("user/") + kUser + QStringLiteral(".dat"); }

// Stepping the flash screen by hand: 99 s per question, so no real flash tick comes meanwhile.
constexpr int kCount = 3;

void setUp(Program &p)
{
    p.state().userName = kUser;
    p.state().gradeName = QStringLiteral("５級");
    p.state().gradeParams = GradeParams{2, kCount, 99};
    p.writeFile(recordRelPath(), cp932Lines({userstore::recordHeader()}));
    int tick = 0;
    p.screens().flashScreen->setNumberClock([tick]() mutable { return std::uint32_t(1000 * ++tick); });
    p.screens().mainMenu->Show();
    p.screens().gradeSelection->Show();
    p.screens().flashScreen->Show();
}

// One question: the countdown, the numbers on and off, the hand-over; returns what was flashed.
QList<int> flashQuestion(TForm2 *f)
{
    for (int i = 0; i < 3; ++i)
        f->Timer1Timer();
    QList<int> shown;
    for (int k = 0; k < kCount; ++k) {
        f->MMTimer2Timer(f->MMTimer2);
        shown << f->Label2->text().toInt();
        f->MMTimer3Timer(f->MMTimer3);
    }
    f->Timer4Timer();
    return shown;
}

// A whole drill through the real screens; question 3 (row 2) is answered without its second
// number. Ends on the filled sheet. Returns the numbers of every question.
QList<QList<int>> playDrill(Program &p)
{
    TForm5 *box = p.screens().answerBox;
    p.screens().resultSheet->setDateSource([] { return QDate(2004, 7, 5); });
    QList<QList<int>> all;
    for (int q = 0; q < 10; ++q) {
        const QList<int> n = flashQuestion(p.screens().flashScreen);
        all << n;
        const int sum = n[0] + n[1] + n[2];
        QTest::keyClicks(box->Edit1, QString::number(q == 2 ? sum - n[1] : sum));
        QTest::keyClick(box->Edit1, Qt::Key_Return);
    }
    QTest::keyClick(p.screens().verdictBanner, Qt::Key_Return);
    return all;
}

QLabel *cell(TForm4 *sheet, const QString &name) { return sheet->findChild<QLabel *>(name); }

void waitForMarks(TForm4 *sheet)
{
    QTRY_VERIFY_WITH_TIMEOUT(!cell(sheet, TForm4::markCellName(10))->text().isEmpty(), 3000);
}
} // namespace

class TestReview : public QObject {
    Q_OBJECT
private slots:
    void clickOnARowShowsItsQuestion_data();
    void clickOnARowShowsItsQuestion();
    void panelCloses_data();
    void panelCloses();
    void replayShowsTheSameNumbersAndChangesNothing();
    void abandonedDrillLeavesNothingToLookAt();
};

void TestReview::clickOnARowShowsItsQuestion_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("cellOf"); // which cell of the row is clicked
    QTest::addColumn<bool>("wrong");
    QTest::newRow("the × of a wrong answer") << 2 << "mark" << true;
    QTest::newRow("the 問目 of a wrong answer") << 2 << "title" << true;
    QTest::newRow("the answer of a right one") << 6 << "answer" << false;
}

void TestReview::clickOnARowShowsItsQuestion()
{
    QFETCH(int, row);
    QFETCH(QString, cellOf);
    QFETCH(bool, wrong);
    Program p;
    setUp(p);
    const QList<QList<int>> numbers = playDrill(p);
    TForm4 *sheet = p.screens().resultSheet;
    waitForMarks(sheet);
    QCOMPARE(cell(sheet, TForm4::markCellName(row + 1))->text(), wrong ? QStringLiteral("×") : QStringLiteral("○"));
    const QString name = cellOf == QLatin1String("mark") ? TForm4::markCellName(row + 1)
                       : cellOf == QLatin1String("title") ? TForm4::titleCellName(row + 1)
                                                          : TForm4::answerCellName(row + 1);
    QTest::mouseClick(cell(sheet, name), Qt::LeftButton);

    ReviewPanel *panel = sheet->Review;
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->Title->text(), cell(sheet, TForm4::titleCellName(row + 1))->text());
    const QList<int> &n = numbers[row];
    QCOMPARE(panel->Numbers->rowCount(), kCount);
    qint64 total = 0;
    for (int k = 0; k < kCount; ++k) {
        total += n[k];
        QCOMPARE(panel->Numbers->item(k, 0)->text(), QString::number(k + 1));
        QCOMPARE(panel->Numbers->item(k, 1)->text(), QString::number(n[k]));
        QCOMPARE(panel->Numbers->item(k, 2)->text(), QString::number(total));
    }
    QVERIFY(panel->SumLine->text().endsWith(QString::number(total)));
    const qint64 typed = wrong ? total - n[1] : total;
    QVERIFY(panel->TypedLine->text().endsWith(QString::number(typed)));
    QCOMPARE(panel->Explanation->text(),
             wrong ? QStringLiteral("２ばんめの %1 を たしていない みたい").arg(n[1]) : QString());
    QCOMPARE(p.app().activeScreen(), sheet);
}

void TestReview::panelCloses_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("its もどる") << "back";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Enter") << "enter";
}

void TestReview::panelCloses()
{
    QFETCH(QString, how);
    Program p;
    setUp(p);
    playDrill(p);
    TForm4 *sheet = p.screens().resultSheet;
    waitForMarks(sheet);
    QStringList marks;
    for (int k = 1; k <= 10; ++k)
        marks << cell(sheet, TForm4::markCellName(k))->text();
    QTest::mouseClick(cell(sheet, TForm4::markCellName(3)), Qt::LeftButton);
    ReviewPanel *panel = sheet->Review;
    QVERIFY(panel->isVisible());
    if (how == QLatin1String("back"))
        QTest::mouseClick(panel->BackLabel, Qt::LeftButton);
    else
        QTest::keyClick(panel, how == QLatin1String("escape") ? Qt::Key_Escape : Qt::Key_Return);
    QVERIFY(!panel->isVisible());
    QVERIFY(sheet->isVisible());
    QCOMPARE(p.app().activeScreen(), sheet);
    for (int k = 1; k <= 10; ++k)
        QCOMPARE(cell(sheet, TForm4::markCellName(k))->text(), marks[k - 1]);
}

void TestReview::replayShowsTheSameNumbersAndChangesNothing()
{
    Program p;
    setUp(p);
    const QList<QList<int>> numbers = playDrill(p);
    TForm4 *sheet = p.screens().resultSheet;
    TForm2 *flash = p.screens().flashScreen;
    waitForMarks(sheet);
    QTRY_VERIFY_WITH_TIMEOUT(p.readFile(recordRelPath()).count("\r\n") == 2, 2000);
    const QByteArray history = p.readFile(recordRelPath());
    QTest::mouseClick(cell(sheet, TForm4::markCellName(3)), Qt::LeftButton);
    ReviewPanel *panel = sheet->Review;
    QVERIFY(panel->isVisible());

    // In real time, at a quick pace: 1 s for the three numbers.
    p.state().gradeParams.seconds = 1;
    QStringList seen;
    QObject watch;
    const auto noteNumber = [&] {
        const QString t = flash->Label2->text();
        if (!t.isEmpty() && (seen.isEmpty() || seen.last() != t))
            seen << t;
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &watch, noteNumber);
    poll.start(1);
    recorder().clear();
    QTest::mouseClick(panel->ReplayLabel, Qt::LeftButton);
    QVERIFY(flash->isVisible());
    QVERIFY(flash->isReplaying());
    QVERIFY2(runUntil([&] { return !flash->isVisible(); }, 10000), "the replay did not end within 10 s");
    poll.stop();

    QStringList expected;
    for (int n : numbers[2])
        expected << QString::number(n);
    QCOMPARE(seen, expected);
    QCOMPARE(recorder().count(sound::Cue::Countdown), 3);
    QVERIFY(!p.screens().answerBox->isVisible()); // no answer box after a replay
    QCOMPARE(p.app().activeScreen(), sheet);
    QVERIFY(panel->isVisible());
    // The keyboard is the panel's again: Escape closes it.
    QTRY_COMPARE_WITH_TIMEOUT(sheet->focusWidget(), static_cast<QWidget *>(panel), 2000);
    QCOMPARE(p.readFile(recordRelPath()), history);
    QCOMPARE(cell(sheet, TForm4::markCellName(3))->text(), QStringLiteral("×"));
    QCOMPARE(sheet->Label44->text(), QStringLiteral("9"));
    const DrillSession &d = *p.state().drill;
    QCOMPARE(d.questionsKept(), 10);
    QCOMPARE(d.question(2).numbers, numbers[2]);
    QCOMPARE(d.runningSum(), 0);
    QCOMPARE(d.answeredCount(), 0);
    // Leaving the sheet writes nothing more.
    sheet->Close();
    QCOMPARE(p.readFile(recordRelPath()), history);
}

void TestReview::abandonedDrillLeavesNothingToLookAt()
{
    Program p;
    setUp(p);
    playDrill(p);
    TForm4 *sheet = p.screens().resultSheet;
    waitForMarks(sheet);
    sheet->Close();
    QCOMPARE(p.state().drill->questionsKept(), 10); // until the next drill starts
    // The next drill flashes one number and is abandoned.
    TForm2 *flash = p.screens().flashScreen;
    flash->Show();
    for (int i = 0; i < 3; ++i)
        flash->Timer1Timer();
    flash->MMTimer2Timer(flash->MMTimer2);
    flash->Close();
    QCOMPARE(p.state().drill->questionsKept(), 0);
    // Nothing of the earlier drill opens, even on a sheet still holding its marks.
    sheet->Show();
    cell(sheet, TForm4::markCellName(1))->setText(QStringLiteral("○"));
    QTest::mouseClick(cell(sheet, TForm4::markCellName(1)), Qt::LeftButton);
    QVERIFY(!sheet->Review->isVisible());
}

PZ_GUI_TEST_MAIN(TestReview)
#include "tst_review.moc"
