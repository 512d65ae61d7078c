// Takes screenshots of the program's screens for people to look at: run under an X server
// (xvfb-run -s "-screen 0 800x600x24"), it lays out a working folder, walks to each screen as a
// user would, and saves the whole display as PNG files in the folder given as its argument.
#include "drill/dkhyouji.h"
#include "drill/option.h"
#include "shell/app.h"
#include "shell/main.h"
#include "shell/splash.h"
#include "shell/widgets.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
QString outDir;
void shot(const QString &name)
{
    QTest::qWait(300);
    QGuiApplication::primaryScreen()->grabWindow(0).save(outDir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
void click(QWidget *screen, const char *control)
{
    QTest::mouseClick(screen->findChild<QWidget *>(QString::fromLatin1(control)), Qt::LeftButton);
}
} // namespace

int main(int argc, char **argv)
{
    App app(argc, argv);
    outDir = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")).absolutePath();
    QTemporaryDir work;
    QDir d(work.path());
    for (const char *sub : {"settei", "user", "wav"})
        d.mkpath(QString::fromLatin1(sub));
    QFile::copy(QStringLiteral(PZ_ASSETS "/settei/settei.dat"), d.filePath(QStringLiteral("settei/settei.dat")));
    QFile m(d.filePath(QStringLiteral("user/master.psw")));
    m.open(QIODevice::WriteOnly);
    m.write("teacher\r\n");
    m.close();
    QDir::setCurrent(work.path());
    app.createScreens();
    Screens &s = app.screens();

    QTimer::singleShot(1000, [&] { shot(QStringLiteral("01-splash")); });
    s.form11->ShowModal();
    s.form1->Show();
    shot(QStringLiteral("02-menu"));
    s.form1->setLoggedIn(true);
    shot(QStringLiteral("03-menu-logged-in"));
    click(s.form1, "Label3");
    shot(QStringLiteral("04-grades"));
    click(s.form3, "Label19"); // 五段
    shot(QStringLiteral("05-briefing-godan"));
    s.form16->Timer1->stop();
    s.form16->Close();
    click(s.form3, "Label1"); // １０級
    shot(QStringLiteral("06-briefing-10kyu"));
    s.form16->Timer1->stop();
    s.form16->Close();
    s.form1->restoreDisplayMode();
    app.destroyScreens();
    return 0;
}
