// The program entry: no arguments and no environment of its own are read.
#include "platform/signals.h"
#include "platform/sound.h"
#include "shell/app.h"
#include "shell/main.h"
#include "shell/splash.h"

int main(int argc, char **argv)
{
    App app(argc, argv);
    sound::init();
    app.createScreens();

    // However the program ends, the display goes back to the mode it had.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&app] {
        if (auto *menu = app.screens().form1)
            menu->restoreDisplayMode();
    });
    unixsignals::onTermination([&app] {
        if (auto *menu = app.screens().form1)
            menu->Close();
        else
            app.quit();
    });

    if (TForm11 *splash = app.screens().form11)
        splash->ShowModal();
    if (!app.ending())
        app.screens().form1->Show();
    const int rc = app.run(); // returns at once when the program was ended before its loop started
    app.screens().form1->restoreDisplayMode();
    app.destroyScreens();
    return rc;
}
