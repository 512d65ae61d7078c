// A drill's pace through the real screens: the flash screen measures every flash on a clock the test
// moves, the sheet shows its notice only for a drill off its pace, and the pace line lands beside the
// history line, which a damaged pace file never touches.
#include "support/testmain.h"
#include "drill/drillsession.h"

#include "drill/MMTimer.h"
#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/option.h"
#include "drill/success.h"
#include <QLineEdit>
#include "drill/start.h"
#include "platform/textfile.h"
#include "shell/main.h"
#include "users/userstore.h"

#include <QDir>
#include <QLabel>

using testsupport::Program;
using testsupport::cp932Lines;

namespace {
const QString kUser = QStringLiteral("はなこ");
// Stepped by hand: 99 s per question (I = 19795 ms), so no real flash tick comes meanwhile.
constexpr int kCount = 3;
constexpr qint64 kIntervalUs = 19795000;

// The test's clock: the flash screen reads it, the test sets it before every step.
pace::Clock::time_point now;

// The drill's one disturbance: in question `question`, flash `flash` (1 = number 1 on) and every
// flash after it come `lateUs` late, or the tick of that flash is missed and its work done late.
struct Disturbance {
    int question = 0;
    int flash = 0;
    qint64 lateUs = 0;
    bool missed = false;
};

void flashQuestion(TForm2 *f, int question, const Disturbance &d)
{
    const pace::Clock::time_point start{std::chrono::hours(1)};
    now = start - std::chrono::seconds(3);
    for (int i = 0; i < 3; ++i) {
        if (i == 2)
            now = start;
        f->Timer1Timer();
    }
    for (int flash = 1; flash <= 2 * kCount; ++flash) {
        const bool disturbed = question == d.question && flash >= d.flash;
        now = start + std::chrono::microseconds(flash * kIntervalUs + (disturbed ? d.lateUs : 0));
        TMMTimer *timer = flash % 2 ? f->MMTimer2 : f->MMTimer3;
        if (disturbed && flash == d.flash && d.missed) {
            // The timer switched itself off because the GUI thread did not take its tick.
            timer->setEnabled(false);
            emit timer->switchedOff();
        } else if (timer == f->MMTimer2) {
            f->MMTimer2Timer(timer);
        } else {
            f->MMTimer3Timer(timer);
        }
    }
    f->Timer4Timer();
}

// A whole drill through the real screens, every answer right; ends on the filled sheet.
void playDrill(Program &p, const Disturbance &d)
{
    TForm2 *f = p.screens().flashScreen;
    TForm5 *box = p.screens().answerBox;
    for (int q = 1; q <= 10; ++q) {
        flashQuestion(f, q, d);
        QVERIFY(box->isVisible());
        QTest::keyClicks(box->Edit1, QString::number(p.state().drill->question(q - 1).sum));
        QTest::keyClick(box->Edit1, Qt::Key_Return);
    }
    QTest::keyClick(p.screens().verdictBanner, Qt::Key_Return);
    TForm4 *sheet = p.screens().resultSheet;
    QTRY_VERIFY_WITH_TIMEOUT(!sheet->Timer1->isActive() && !sheet->Label44->text().isEmpty(), 5000);
}
} // namespace
Q_DECLARE_METATYPE(Disturbance)

class TestPaceThroughScreens : public QObject {
    Q_OBJECT
private slots:
    void drillKeepsItsPace_data();
    void drillKeepsItsPace();
};

void TestPaceThroughScreens::drillKeepsItsPace_data()
{
    QTest::addColumn<Disturbance>("disturbance");
    QTest::addColumn<QString>("before");      // at user/はなこ.pace: "", "dir", "torn"
    QTest::addColumn<QStringList>("fields");  // the pace line after its date and time; empty: no line
    QTest::addColumn<bool>("noticeShown");
    const QString zeros = QStringLiteral("0.0,0.0");
    const auto line = [&](int question, const QString &cells, const QString &verdict) {
        QStringList f{QStringLiteral("５級"), QStringLiteral("19795")};
        for (int q = 1; q <= 10; ++q)
            f << (q == question ? cells : zeros).split(QLatin1Char(','));
        return f << verdict;
    };
    QTest::newRow("on pace: the line says so and the sheet says nothing")
        << Disturbance{} << QString() << line(0, zeros, QStringLiteral("ずれなし")) << false;
    QTest::newRow("number 2 of question 4 a frame and more late")
        << Disturbance{4, 3, 20000, false} << QString() << line(4, QStringLiteral("20.0,20.0"), QStringLiteral("ずれあり"))
        << true;
    QTest::newRow("late by less than a frame")
        << Disturbance{7, 2, 16700, false} << QString() << line(7, QStringLiteral("16.7,16.7"), QStringLiteral("ずれなし"))
        << false;
    QTest::newRow("a tick missed, its work done as soon as it could be")
        << Disturbance{10, 4, 0, true} << QString() << line(0, zeros, QStringLiteral("ずれあり")) << true;
    QTest::newRow("a folder in the pace file's place: the drill goes on as ever")
        << Disturbance{4, 3, 20000, false} << QStringLiteral("dir") << QStringList() << true;
    QTest::newRow("a torn pace file is written after its last line")
        << Disturbance{} << QStringLiteral("torn") << line(0, zeros, QStringLiteral("ずれなし")) << false;
}

void TestPaceThroughScreens::drillKeepsItsPace()
{
    QFETCH(Disturbance, disturbance);
    QFETCH(QString, before);
    QFETCH(QStringList, fields);
    Program p;
    Screens &s = p.screens();
    p.state().userName = kUser;
    p.state().gradeName = QStringLiteral("５級");
    p.state().gradeParams = GradeParams{2, kCount, 99};
    p.writeFile(userstore::recordPath(kUser), cp932Lines({userstore::recordHeader()}));
    p.writeFile(userstore::passwordPath(kUser), cp932Lines({QStringLiteral("pw")}));
    if (before == QLatin1String("dir"))
        QVERIFY(QDir().mkpath(p.path(userstore::pacePath(kUser))));
    else if (before == QLatin1String("torn"))
        p.writeFile(userstore::pacePath(kUser), cp932Lines({userstore::paceHeader()}) + "2026/12/0");
    int tick = 0;
    s.flashScreen->setNumberClock([tick]() mutable { return std::uint32_t(1000 * ++tick); });
    s.flashScreen->setPaceClock([] { return now; });
    s.resultSheet->setDateSource([] { return QDate(2004, 7, 5); });
    s.mainMenu->Show();
    s.gradeSelection->Show();
    s.flashScreen->Show();
    testsupport::recorder().clear();

    playDrill(p, disturbance);

    // The history and the sheet are those of any drill, whatever became of the pace.
    QVERIFY(testsupport::recorder().boxes.isEmpty());
    QCOMPARE(s.resultSheet->Label44->text(), QStringLiteral("10"));
    QCOMPARE(p.readFile(userstore::recordPath(kUser)),
             cp932Lines({userstore::recordHeader(), QStringLiteral("５級,2004/7/05,10,0,合格")}));
    QTEST(s.resultSheet->Label47->isVisible(), "noticeShown");
    QCOMPARE(s.resultSheet->Label47->text(), QStringLiteral("このパソコンがいそがしくて、すうじがおくれてでたかもしれません。"));

    if (fields.isEmpty()) {
        QVERIFY(QFileInfo(p.path(userstore::pacePath(kUser))).isDir());
        return;
    }
    const QStringList lines = textfile::splitLines(textfile::decode(p.readFile(userstore::pacePath(kUser))));
    QCOMPARE(lines.first(), userstore::paceHeader());
    QCOMPARE(lines.size(), before == QLatin1String("torn") ? 3 : 2);
    QStringList written = lines.last().split(QLatin1Char(','));
    QVERIFY(written.first().startsWith(QStringLiteral("2004/07/05 ")));
    written.removeFirst();
    QCOMPARE(written, fields);
}

PZ_GUI_TEST_MAIN(TestPaceThroughScreens)
#include "tst_pace.moc"
