#pragma once
// Support for the screen tests: the application object on the offscreen platform, a fresh program
// in a temporary working folder, and recorders for message boxes, errors and sounds.
#include "platform/display.h"
#include "platform/sound.h"
#include "kit/app.h"
#include "kit/dialogs.h"

#include <QDir>
#include <QList>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace testsupport {

// What the program showed and played since the last clear().
struct Recorder {
    QList<dialogs::Shown> boxes;
    QList<sound::Cue> sounds;
    bool nextAnswer = true; // the answer to the next question box
    void clear() { boxes.clear(); sounds.clear(); }
    int count(sound::Cue c) const { return int(sounds.count(c)); }
    QStringList texts() const;
};
Recorder &recorder();

// A working folder laid out as installed (settings, master password "teacher", the sound), the
// current directory while it lives, and every screen created in it. Destroyed in reverse.
class Program {
public:
    explicit Program(const QByteArray &masterPassword = "teacher");
    ~Program();
    QString path(const QString &relative) const { return QDir(dir_.path()).filePath(relative); }
    const Classroom &classroom() const { return classroom_; }
    App &app() { return *App::instance(); }
    SharedState &state() { return App::instance()->state(); }
    Screens &screens() { return App::instance()->screens(); }
    // Writes raw bytes to a file of the working folder (creating folders).
    void writeFile(const QString &relative, const QByteArray &bytes);
    // Replaces settei/settei.dat with these lines (cp932, CR LF).
    void writeSettings(const QStringList &lines);
    // The installed settings with 10級 made quick: 1 digit, 2 numbers over 1 second (I = 329 ms).
    void writeQuickTenthGrade();
    QByteArray readFile(const QString &relative) const;

private:
    QTemporaryDir dir_;
    Classroom classroom_;
};

// A registered child of the working folder: the history (its header, then these drill lines) and,
// unless nullopt, the password file holding these bytes.
void addUser(Program &p, const QString &name, const QStringList &drills = {},
             const std::optional<QByteArray> &passwordFile = QByteArray("pw\r\n"));

// Types text key by key into w, as a keyboard without an input method does (kana and full-width
// forms too).
void type(QWidget *w, const QString &text);
// The bytes of a program text file holding these lines: cp932, each line ended by CR LF.
QByteArray cp932Lines(const QStringList &lines);

// Layout checks as data tables, one row per control:
//   void layout_data() { testsupport::layoutColumns(); testsupport::layoutRow("Label1", {16, 8}, {}, "…", 35, Qt::white); … }
//   void layout() { Program p; testsupport::checkLayoutRow(p.screens().ownRecords); }
// A row checks only what it gives: the position always; the size when valid; the text when not
// null; the pixel size (and boldness, when bold is 0 or 1) when px > 0; the text colour when valid.
void layoutColumns();
void layoutRow(const char *control, QPoint pos, QSize size = {}, const QString &text = QString(), int px = 0,
               QColor colour = QColor(), int bold = -1);
void checkLayoutRow(QWidget *screen);

// Window checks as data tables, one row per screen, named by its role in the registry:
//   void window_data() { testsupport::windowColumns(); testsupport::windowRow("ownRecords", "きろく", Kind::FullScreen, {}, {"Image1", "Label2"}); }
//   void window() { Program p; testsupport::checkWindow(p.screens()); }
// Every row checks the title, that the window stays on top, its dark blue and the pointing hand over
// the given controls. FullScreen: frameless and covering the whole screen. Fixed: at `client`
// (position and size) and not resizable. Dialog: neither (its place is decided when it is shown).
enum class Kind { FullScreen, Fixed, Dialog };
void windowColumns();
void windowRow(const char *screen, const QString &title, Kind kind, QRect client = {},
               const QStringList &pointing = {});
void checkWindow(Screens &screens);

// A whole drill through the drill's own steps, one number per question (its sum), the answers as
// typed; ends as the tenth answer leaves it (verdict decided, the line fixed for the logged-in
// user and grade on that day, the flash screen's reset done). Returns the verdict.
QString playDrill(SharedState &s, const QList<int> &sums, const QStringList &typed,
                  const QDate &today = QDate(2004, 7, 5));

// Installs the recorders and moves the test out of any classroom; called once by the test main.
void install();
QString &decoyFolder();
// Whether nothing landed in the folder the test was started in.
bool decoyUntouched();
// A path in the classroom in use (the one the Program laid out).
QString inRoom(const QString &relative);

} // namespace testsupport

// The main of a screen test: App on the offscreen platform, recorders installed.
#define PZ_GUI_TEST_MAIN(TestObject)                                                                  \
    int main(int argc, char *argv[])                                                                \
    {                                                                                               \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                         \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                \
        display::scaleLayoutBeforeApp(); /* as the program: a larger X display is drawn scaled */   \
        App app(argc, argv);                                                                        \
        testsupport::install();                                                                     \
        TestObject tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                  \
        const int failed = QTest::qExec(&tc, argc, argv);                                           \
        return failed ? failed : testsupport::decoyUntouched() ? 0 : 1;                             \
    }
