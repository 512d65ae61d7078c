// Soak: 1,000 drills in a row through the real screens, as one child who never stops: the grade
// screen, the briefing, ten questions of countdown, flashed numbers and typed answers, the verdict,
// the result sheet and its line in the history, back to the grade screen. The timers' handlers are
// stepped instead of waited for (a drill takes the screens' own code, not their 45 seconds).
// Prints the resident memory after a warm-up and every 100 drills; it must stay flat.
#include "resident.h"
#include "base/classroom.h"
#include "drill/dkhyouji.h"
#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/option.h"
#include "drill/start.h"
#include "drill/MMTimer.h"
#include "drill/success.h"
#include "platform/textfile.h"
#include "settings/rand.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "shell/main.h"
#include "tools/classroom.h"
#include "users/userstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, int drill)
{
    std::fprintf(stderr, "soak: %s (drill %d)\n", what, drill);
    std::exit(2);
}

void settle() { QCoreApplication::processEvents(); }

// One drill from the grade screen back to it. Returns the number of answers typed right.
void oneDrill(Screens &s, SharedState &state, int n)
{
    QTest::mouseClick(s.gradeSelection->findChild<QWidget *>(QStringLiteral("Label1")), Qt::LeftButton); // 10級
    if (!s.briefing->isVisible())
        fail("the briefing did not open", n);
    s.briefing->Timer1Timer();
    settle();
    if (!s.flashScreen->isVisible())
        fail("the flash screen did not open", n);
    for (int q = 1; q <= 10; ++q) {
        for (int i = 0; i < 3; ++i)
            s.flashScreen->Timer1Timer();
        for (int k = 0; k < state.gradeParams.count; ++k) {
            s.flashScreen->MMTimer2Timer(s.flashScreen->MMTimer2);
            s.flashScreen->MMTimer3Timer(s.flashScreen->MMTimer3);
        }
        if (!s.flashScreen->Timer4->isActive())
            fail("the question did not end", n);
        s.flashScreen->Timer4Timer();
        settle();
        if (!s.answerBox->isVisible())
            fail("the answer box did not open", n);
        // One wrong answer in ten drills' worth, so both verdicts and both marks come up.
        const int sum = state.drill.runningSum() + ((n + q) % 7 == 0 ? 1 : 0);
        QTest::keyClicks(s.answerBox->Edit1, QString::number(sum));
        QTest::keyClick(s.answerBox->Edit1, Qt::Key_Return);
        settle();
    }
    if (!s.verdictBanner->isVisible())
        fail("the verdict did not show", n);
    QTest::keyClick(s.verdictBanner, Qt::Key_Return);
    if (!s.resultSheet->isVisible())
        fail("the result sheet did not show", n);
    QElapsedTimer waited;
    waited.start();
    while (s.resultSheet->Timer1->isActive()) {
        if (waited.elapsed() > 5000)
            fail("the result sheet did not fill", n);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    QTest::mousePress(s.resultSheet->findChild<QWidget *>(QStringLiteral("Image1")), Qt::LeftButton);
    settle();
    if (s.resultSheet->isVisible() || App::instance()->activeScreen() != s.gradeSelection)
        fail("the sheet did not return to the grade screen", n);
}
} // namespace

int main(int argc, char **argv)
{
    App app(argc, argv);
    const int drills = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir dir;
    layOutClassroom(dir.path(), "teacher");
    Classroom::use(Classroom(dir.path()));
    // 10級 as 1 digit, 2 numbers over 99 s: the high-resolution timers' own ticks (33 s apart) never
    // come between the stepped ones.
    QStringList lines = settings::defaultSettingsLines();
    lines[1] = QStringLiteral("2");
    lines[2] = QStringLiteral("99");
    textfile::rewrite(settings::settingsPath(), lines);
    QStringList boxes;
    dialogs::setHook([&boxes](const dialogs::Shown &shown) {
        boxes << shown.text;
        std::fprintf(stderr, "soak: box \"%s\"\n", qPrintable(shown.text));
        return true;
    });
    if (!userstore::createUser(QStringLiteral("はなこ"), QStringLiteral("pw")).isEmpty())
        fail("could not register", 0);

    app.createScreens();
    Screens &s = app.screens();
    SharedState &state = app.state();
    s.mainMenu->Show();
    state.userName = QStringLiteral("はなこ");
    s.mainMenu->setLoggedIn(true);
    QTest::mouseClick(s.mainMenu->findChild<QWidget *>(QStringLiteral("Label3")), Qt::LeftButton); // れんしゅうする
    if (!s.gradeSelection->isVisible())
        fail("the grade screen did not open", 0);

    const int warmUp = qMin(10, drills);
    long warm = 0;
    QElapsedTimer took;
    took.start();
    std::printf("resident memory at start: %ld KiB\n", residentKiB());
    for (int n = 1; n <= drills; ++n) {
        oneDrill(s, state, n);
        if (n == warmUp) {
            warm = residentKiB();
            std::printf("after %d drills (warm): %ld KiB\n", n, warm);
        } else if (n % 100 == 0) {
            std::printf("after %d drills: %ld KiB (%+ld KiB)\n", n, residentKiB(), residentKiB() - warm);
        }
        std::fflush(stdout);
    }
    const long end = residentKiB();
    const QStringList history = userstore::readHistory(QStringLiteral("はなこ"));
    std::printf("%d drills in %.1f s; history %lld lines; boxes %lld\n", drills, took.elapsed() / 1000.0,
                qint64(history.size()), qint64(boxes.size()));
    std::printf("resident memory: %ld KiB warm, %ld KiB after %d drills: %+ld KiB\n", warm, end, drills, end - warm);
    app.destroyScreens();
    if (history.size() != drills + 1 || !boxes.isEmpty()) {
        std::printf("soak: the history does not hold one line per drill\n");
        return 2;
    }
    // A leak of even 1 KiB a drill shows as 1 MB here; allow the allocator some slack.
    const bool flat = end - warm < 4096;
    std::printf("%s\n", flat ? "flat" : "GROWS");
    return flat ? 0 : 1;
}
