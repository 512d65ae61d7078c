#include "support/testmain.h"
#include "support/flashbound.h"
#include "drill/drillsession.h"
#include "support/drillplay.h"

#include "platform/textfile.h"
#include "settings/rand.h"
#include "users/userstore.h"

#include "base/errors.h"
#include "tools/classroom.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace testsupport {

Recorder &recorder()
{
    static Recorder r;
    return r;
}

QStringList Recorder::texts() const
{
    QStringList t;
    for (const auto &b : boxes)
        t << b.text;
    return t;
}

void install()
{
    // Drill lines kept aside by a failed append go to a state folder of this run, never the home's.
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    dialogs::setHook([](const dialogs::Shown &s) {
        recorder().boxes.append(s);
        return recorder().nextAnswer;
    });
    sound::setObserver([](sound::Cue c) { recorder().sounds.append(c); });
    flashbound::install();
    // The program is handed its classroom by name: the tests run from an empty folder of their own,
    // and fail when anything is read from or written to it.
    static QTemporaryDir decoy;
    QDir::setCurrent(decoy.path());
    decoyFolder() = decoy.path();
}

QString &decoyFolder()
{
    static QString d;
    return d;
}

bool decoyUntouched()
{
    const QStringList found = QDir(decoyFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (!found.isEmpty())
        qWarning("written where the program was started, not in its classroom: %s", qPrintable(found.join(QLatin1Char(' '))));
    return found.isEmpty() && QDir::currentPath() == decoyFolder();
}

QString inRoom(const QString &relative) { return Classroom::inUse().path(relative); }

Program::Program(const QByteArray &masterPassword)
{
    layOutClassroom(dir_.path(), masterPassword);
    classroom_ = Classroom(dir_.path());
    Classroom::use(classroom_);
    sound::useClassroom(classroom_);
    recorder().clear();
    App::instance()->createScreens();
}

Program::~Program()
{
    App::instance()->destroyScreens();
    Classroom::use(Classroom());
    sound::useClassroom(Classroom());
    recorder().clear();
}

void Program::writeFile(const QString &relative, const QByteArray &bytes)
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(p));
    f.write(bytes);
}

QByteArray Program::readFile(const QString &relative) const
{
    QFile f(path(relative));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void Program::writeQuickTenthGrade()
{
    QStringList lines = settings::defaultSettingsLines();
    lines[1] = QStringLiteral("2"); // 10級 is block 0: line 1 the count, line 2 the seconds
    lines[2] = QStringLiteral("1");
    writeSettings(lines);
}

void Program::writeSettings(const QStringList &lines)
{
    writeFile(QStringLiteral("settei/settei.dat"), cp932Lines(lines));
}

QString playDrill(SharedState &s, const QList<int> &sums, const QStringList &typed, const QDate &today)
{
    const DrillSession::Answered last = drillplay::questions(*s.drill, sums, typed, {s.userName, s.gradeName, today});
    s.drill->ended();
    return last.verdict;
}

void type(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void addUser(Program &p, const QString &name, const QStringList &drills, const std::optional<QByteArray> &passwordFile)
{
    p.writeFile(QStringLiteral("user/") + name + QStringLiteral(".dat"), cp932Lines(QStringList{userstore::recordHeader()} + drills));
    if (passwordFile)
        p.writeFile(QStringLiteral("user/") + name + QStringLiteral(".psw"), *passwordFile);
}

QByteArray cp932Lines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines)
        out += textfile::encode(l) + "\r\n";
    return out;
}

void layoutColumns()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("px");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("bold");
}

void layoutRow(const char *control, QPoint pos, QSize size, const QString &text, int px, QColor colour, int bold)
{
    QTest::newRow(control) << QString::fromLatin1(control) << pos << size << text << px << colour << bold;
}

void checkLayoutRow(QWidget *screen)
{
    QFETCH(QString, control);
    QFETCH(QPoint, pos);
    QFETCH(QSize, size);
    QFETCH(QString, text);
    QFETCH(int, px);
    QFETCH(QColor, colour);
    QFETCH(int, bold);
    auto *w = screen->findChild<QWidget *>(control);
    QVERIFY2(w, qPrintable(control + QStringLiteral(" is missing")));
    QCOMPARE(w->pos(), pos);
    if (size.isValid())
        QCOMPARE(w->size(), size);
    if (!text.isNull())
        QCOMPARE(w->property("text").toString(), text);
    if (px > 0) {
        QCOMPARE(w->font().pixelSize(), px);
        if (bold >= 0)
            QCOMPARE(w->font().bold(), bool(bold));
    }
    if (colour.isValid())
        QCOMPARE(w->palette().color(QPalette::Active, w->foregroundRole()), colour);
}

namespace {
// The registry's screens by role, as the rows name them.
QWidget *screenByRole(Screens &s, const QString &role)
{
    const std::pair<const char *, Screen *> all[] = {
        {"mainMenu", asScreen(s.mainMenu)}, {"flashScreen", asScreen(s.flashScreen)},
        {"gradeSelection", asScreen(s.gradeSelection)}, {"resultSheet", asScreen(s.resultSheet)},
        {"answerBox", asScreen(s.answerBox)}, {"verdictBanner", asScreen(s.verdictBanner)},
        {"registration", asScreen(s.registration)}, {"ownRecords", asScreen(s.ownRecords)},
        {"login", asScreen(s.login)}, {"userDeletion", asScreen(s.userDeletion)},
        {"masterPasswordSetup", asScreen(s.masterPasswordSetup)}, {"studentsRecords", asScreen(s.studentsRecords)},
        {"masterPasswordEntry", asScreen(s.masterPasswordEntry)}, {"deletionConfirm", asScreen(s.deletionConfirm)},
        {"briefing", asScreen(s.briefing)}, {"settingsEditor", asScreen(s.settingsEditor)},
    };
    for (const auto &[name, screen] : all)
        if (role == QLatin1String(name))
            return screen;
    return nullptr;
}
} // namespace

void windowColumns()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QRect>("client");
    QTest::addColumn<QStringList>("pointing");
}

void windowRow(const char *screen, const QString &title, Kind kind, QRect client, const QStringList &pointing)
{
    QTest::newRow(screen) << QString::fromLatin1(screen) << title << int(kind) << client << pointing;
}

void checkWindow(Screens &screens)
{
    QFETCH(QString, screen);
    QFETCH(QString, title);
    QFETCH(int, kind);
    QFETCH(QRect, client);
    QFETCH(QStringList, pointing);
    QWidget *w = screenByRole(screens, screen);
    QVERIFY2(w, qPrintable(screen + QStringLiteral(" is no screen of the registry")));
    QCOMPARE(w->windowTitle(), title);
    QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(w->palette().color(QPalette::Window), QColor(0, 0, 160));
    switch (Kind(kind)) {
    case Kind::FullScreen:
        QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(w->geometry(), QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->size()));
        break;
    case Kind::Fixed:
        QCOMPARE(QRect(w->pos(), w->size()), client);
        QCOMPARE(w->minimumSize(), client.size());
        QCOMPARE(w->maximumSize(), client.size());
        break;
    case Kind::Dialog:
        break;
    }
    for (const QString &name : pointing) {
        auto *c = w->findChild<QWidget *>(name);
        QVERIFY2(c, qPrintable(name + QStringLiteral(" is missing")));
        QVERIFY2(c->cursor().shape() == Qt::PointingHandCursor, qPrintable(name));
    }
}

} // namespace testsupport
