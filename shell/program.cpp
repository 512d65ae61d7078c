// The program entry: of the environment only the machine's display choice (platform/display), and
// of the arguments only the message mode below (the launcher's way to say something in a window), the administrator's two classroom
// commands, the teacher's CSV export, certificate and class-flash paper and the check of the PC's pace, which need no
// display; any other option is refused with the usage, any other argument is ignored.
#include "base/classroom.h"
#include "base/errors.h"
#include "drill/classpaper.h"
#include "drill/classset.h"
#include "drill/pacecheck.h"
#include "drill/pacecheckwindow.h"
#include "platform/signals.h"
#include "platform/sound.h"
#include "records/certificate.h"
#include "records/csvexport.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "platform/display.h"
#include "shell/main.h"
#include "shell/splash.h"
#include "users/classroom.h"
#include "users/folderlock.h"
#include "platform/textfile.h"
#include "users/names.h"
#include "users/roster.h"
#include "users/userstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QList>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {
const char *const kUsage =
    "使い方: pikazan [--classroom 教室フォルダ]          教室フォルダ（ないときはいまのフォルダ）で始めます\n"
    "      pikazan --setup-classroom [--teacher 先生のアカウント] 教室フォルダ\n"
    "      pikazan --set-master-password 教室フォルダ\n"
    "      pikazan --set-password 名前 [教室フォルダ]\n"
    "      pikazan --add-users 名簿ファイル [教室フォルダ]\n"
    "      pikazan --message 文章\n"
    "      pikazan --export-csv CSVファイル [教室フォルダ]\n"
    "      pikazan --certificate 名前 PDFファイル [教室フォルダ]\n"
    "      pikazan --class-sheet [-n 問題数] 級 セット番号 PDFファイル [教室フォルダ]\n"
    "      pikazan --class-sheet-blank [-n 問題数] 級 セット番号 PDFファイル [教室フォルダ]\n"
    "      pikazan --check-pace [教室フォルダ]\n"
    "      pikazan --repair-classroom [教室フォルダ]\n";

// Until the application object stands, Qt's messages are held back: when no display can be
// opened, Qt gives up with a fatal message and aborts (exit code 134, a core dump and several
// lines about plugins). This says in one line what is needed instead, and ends with 1.
struct Held {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
QList<Held> held;

void beforeTheDisplay(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        std::fputs("画面を開けません。グラフィカルなデスクトップで起動してください。"
                   " / Cannot open a display: this program needs a graphical desktop.\n",
                   stderr);
        std::fflush(stderr);
        std::_Exit(1); // Qt is half made: nothing of it may run any more
    }
    held.append({type, context.file, context.function, context.category, context.line, text});
}

void releaseHeld()
{
    for (const Held &m : std::as_const(held))
        qt_message_output(m.type, QMessageLogContext(m.file.constData(), m.line, m.function.constData(), m.category.constData()), m.text);
    held.clear();
}

// A command-line mode prints only what it means to say: Qt's note that the session has no
// XDG_RUNTIME_DIR (after su -, say) tells the person at the terminal nothing.
QtMessageHandler passedOn = nullptr;
void withoutRuntimeDirNote(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (passedOn)
        passedOn(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

// "pikazan --message TEXT": the program's standard error box, titled with the program's title, and
// nothing else: no screen is made and the display keeps its mode. The launcher says its refusals
// this way, so that they read right on a desktop without a dialog tool of its own (xmessage shows
// Japanese as mojibake). Ends with 0 once the box is closed.
int messageMode(const char *program, const char *text)
{
    // Qt sees only the program's name: a text such as "-reverse" must not be taken for its option.
    int argc = 1;
    char *argv[] = {const_cast<char *>(program), nullptr};
    const QtMessageHandler usual = qInstallMessageHandler(beforeTheDisplay);
    display::scaleLayoutBeforeApp();
    App app(argc, argv);
    qInstallMessageHandler(usual);
    releaseHeld();
    dialogs::errorBox(QString::fromLocal8Bit(text));
    return 0;
}

// --- the classroom commands: "pikazan --setup-classroom DIR", "pikazan --set-master-password DIR" ---

// The classroom template: the package's /usr/share/pikazan/classroom, found from where the program
// lies as the launcher finds it, else the source tree's assets/ when run from the build folder.
QString templateFolder()
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString installed = QDir::cleanPath(here.filePath(QStringLiteral(PZ_PROGRAM_TO_TEMPLATE)));
    if (QFileInfo(installed + QStringLiteral("/settei/settei.dat")).isFile())
        return installed;
    return QStringLiteral(PZ_BUILD_TEMPLATE);
}

// The terminal's settings while a password is typed without echo; put back however the read ends.
termios savedTerminal;
bool echoOff = false;

void restoreTerminal()
{
    if (echoOff)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    echoOff = false;
}

void interrupted(int sig)
{
    restoreTerminal(); // tcsetattr is async-signal-safe
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// One line of standard input without its line end; nothing when the input ended before any byte.
std::optional<std::string> readLine()
{
    std::string line;
    int c;
    bool any = false;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
        line.push_back(char(c));
        any = true;
    }
    if (!any && c == EOF)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::optional<std::string> readHidden(const char *prompt)
{
    // Echo off before the prompt: what is typed once the prompt shows must neither be echoed nor
    // flushed away.
    if (::tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
        termios quiet = savedTerminal;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        echoOff = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    std::optional<std::string> line = readLine();
    restoreTerminal();
    std::fputs("\n", stderr);
    return line;
}

int fail(const QString &reason)
{
    QString oneLine = reason;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "pikazan: %s\n", oneLine.toUtf8().constData());
    return 1;
}

// The master password, read as one line: typed twice without echo on a terminal, else the first
// line of standard input (a script's pipe or file).
std::optional<QString> masterPassword(QString *refusal, const char *prompt = "マスターパスワード: ",
                                     const QString &what = QStringLiteral("マスターパスワード"))
{
    std::optional<std::string> typed;
    if (::isatty(STDIN_FILENO)) {
        ::signal(SIGINT, interrupted);
        ::signal(SIGTERM, interrupted);
        typed = readHidden(prompt);
        const std::optional<std::string> again = typed ? readHidden("もう一度: ") : std::nullopt;
        if (typed && again != typed) {
            *refusal = QStringLiteral("二つのパスワードが違います。何も変えていません。");
            return std::nullopt;
        }
    } else {
        typed = readLine();
    }
    if (!typed) {
        *refusal = QStringLiteral("%1が入力されていません（標準入力に一行で）。").arg(what);
        return std::nullopt;
    }
    return QString::fromLocal8Bit(typed->data(), qsizetype(typed->size()));
}

// A folder named on the command line, taken from where the command was given.
QString fromHere(const QString &arg) { return QDir::cleanPath(QDir::current().absoluteFilePath(arg)); }
QString fromHere(const char *arg) { return fromHere(QString::fromLocal8Bit(arg)); }
// The classroom argument at argv[i], or the folder the command was given in when it is left out.
QString roomArg(int argc, char **argv, int i) { return argc > i ? fromHere(argv[i]) : QDir::currentPath(); }

int classroomMode(char **argv, bool setup, const char *folder, const char *teacherAccount)
{
    // For the program's own path only; no display is opened. Qt sees only the program's name.
    int argc = 1;
    QCoreApplication app(argc, argv);
    const QString dir = fromHere(folder);
    const QString teacher = QString::fromLocal8Bit(teacherAccount);
    QString refusal;
    std::optional<QString> password;
    try {
        // Nobody types a password twice only to hear that the folder is wrong.
        refusal = setup ? classroom::checkSetup(dir, templateFolder()) : classroom::checkSetMasterPassword(dir);
        if (!refusal.isEmpty())
            return fail(refusal);
        password = masterPassword(&refusal);
        if (!password)
            return fail(refusal);
        refusal = setup ? classroom::setup(dir, templateFolder(), *password, teacher) : classroom::setMasterPassword(dir, *password);
    } catch (const pz::Error &e) {
        return fail(e.text());
    }
    if (!refusal.isEmpty())
        return fail(refusal);

    QString done = setup ? QStringLiteral("教室フォルダを用意しました: %1").arg(dir)
                         : QStringLiteral("マスターパスワードを変えました: %1").arg(dir);
    struct stat st {};
    if (setup && classroom::isShared(dir) && ::stat(folder, &st) == 0) {
        const group *g = ::getgrgid(st.st_gid);
        done += QStringLiteral("（グループ %1 で共有）").arg(g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid));
    }
    std::printf("%s\n", done.toUtf8().constData());
    return 0;
}

// "pikazan --set-password NAME [DIR]": a child's new password, read as the master password is.
int setPasswordMode(int argc, char **argv)
{
    int qtArgc = 1;
    QCoreApplication app(qtArgc, argv);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QString dir = roomArg(argc, argv, 3);
    QString refusal;
    try {
        // Nobody types a password twice only to hear that the folder or the name is wrong.
        refusal = classroom::checkSetMasterPassword(dir);
        if (refusal.isEmpty())
            refusal = names::checkName(name);
        if (refusal.isEmpty()) {
            const Classroom::Using room{Classroom(dir)};
            if (!QFileInfo(userstore::recordPath(name)).isFile())
                refusal = userstore::notRegistered(name);
        }
        if (!refusal.isEmpty())
            return fail(refusal);
        const std::optional<QString> password = masterPassword(&refusal, "新しいパスワード: ", QStringLiteral("パスワード"));
        if (!password)
            return fail(refusal);
        refusal = classroom::setPassword(dir, name, *password);
    } catch (const pz::Error &e) {
        return fail(e.text());
    }
    if (!refusal.isEmpty())
        return fail(refusal);
    std::printf("%s\n", QStringLiteral("%1さんのパスワードを変えました: %2").arg(name, dir).toUtf8().constData());
    return 0;
}

// Why an output file named on the command line is refused, or an empty text. A name ending in "/"
// names a folder, and bytes that are no UTF-8 would be saved under another name (U+FFFD).
QString badOutputName(const char *arg)
{
    const QByteArray bytes(arg);
    const QString name = QString::fromLocal8Bit(bytes);
    if (name.toLocal8Bit() != bytes)
        return QStringLiteral("「%1」の名前には文字として読めないバイトがあります。別の名前にしてください。").arg(name);
    if (bytes.endsWith('/'))
        return QStringLiteral("「%1」はフォルダの名前です。保存するファイルの名前を書いてください。").arg(name);
    return QString();
}

// The teacher's commands work in the classroom DIR (the launcher gives the one the program would
// start in) and say which one it is before anything else: 0, or the exit code of a refusal.
int enterClassroom(const QString &dir, Classroom *room)
{
    if (!QFileInfo(dir + QStringLiteral("/user")).isDir())
        return fail(QStringLiteral("%1 は教室フォルダではありません（user フォルダがありません）。").arg(dir));
    *room = Classroom(fromHere(dir));
    Classroom::use(*room);
    std::printf("%s\n", QStringLiteral("教室フォルダ: %1").arg(dir).toUtf8().constData());
    return 0;
}

// "pikazan --add-users LIST [DIR]": the children of a list registered as one change; each line's
// outcome printed. 0 when every line was registered, 1 when some were not (or nothing was, on a
// failure), 2 for arguments that name no list.
int addUsersMode(int argc, char **argv)
{
    int qtArgc = 1;
    QCoreApplication app(qtArgc, argv);
    const QString list = fromHere(argv[2]);
    const QString dir = roomArg(argc, argv, 3);
    if (!QFileInfo(list).isFile()) {
        fail(QStringLiteral("名簿のファイルがありません: %1").arg(list));
        std::fputs("使い方: pikazan --add-users 名簿ファイル [教室フォルダ]\n", stderr);
        return 2;
    }
    Classroom room;
    if (const int rc = enterClassroom(dir, &room))
        return rc;
    try {
        QFile f(list);
        if (!f.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("名簿を読めません: %1").arg(list));
        const roster::Plan plan = roster::plan(roster::parse(f.read(textfile::kMaxBytes)), [](int n) {
            return int(QRandomGenerator::system()->bounded(n));
        });
        if (plan.entries.isEmpty())
            return fail(QStringLiteral("名簿に名前がありません: %1").arg(list));
        if (const QString refusal = roster::carryOut(plan); !refusal.isEmpty())
            return fail(refusal + QStringLiteral(" だれも登録していません。"));
        for (const roster::Entry &e : plan.entries)
            std::printf("%s\n", roster::describe(e).toUtf8().constData());
        std::printf("%s\n", QStringLiteral("%1人を登録しました（登録ずみ %2人、登録しなかった行 %3）。")
                                .arg(plan.count(roster::Outcome::New))
                                .arg(plan.count(roster::Outcome::Registered))
                                .arg(plan.count(roster::Outcome::Refused)).toUtf8().constData());
        return plan.allNew() ? 0 : 1;
    } catch (const pz::Error &e) {
        return fail(e.text() + QStringLiteral(" だれも登録していません。"));
    }
}

// "pikazan --export-csv FILE [DIR]": every child's history of the classroom DIR (the current folder
// when left out) into the CSV file FILE, without a display. The classroom is only read.
int exportMode(int argc, char **argv)
{
    int qtArgc = 1;
    QCoreApplication app(qtArgc, argv);
    // FILE is taken from where the command was given, before the classroom becomes the working folder.
    if (const QString bad = badOutputName(argv[2]); !bad.isEmpty())
        return fail(bad);
    const QString file = fromHere(argv[2]);
    const QString dir = roomArg(argc, argv, 3);
    Classroom room;
    if (const int rc = enterClassroom(dir, &room))
        return rc;
    try {
        const csvexport::Written w = csvexport::exportClassroom(room, file);
        if (!w.refusal.isEmpty())
            return fail(w.refusal);
        std::printf("%s\n", QStringLiteral("%1人の記録（%2回分）を保存しました: %3").arg(w.children).arg(w.rows).arg(file).toUtf8().constData());
    } catch (const pz::Error &e) {
        return fail(e.text());
    }
    return 0;
}
// "pikazan --certificate NAME FILE.pdf [DIR]": the certificate of NAME's latest pass in the
// classroom DIR (the current folder when left out), painted without a display.
int certificateMode(int argc, char **argv)
{
    // Painting needs a GUI application; the offscreen platform does without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const QString name = QString::fromLocal8Bit(argv[2]);
    // FILE is taken from where the command was given, before the classroom becomes the working folder.
    if (const QString bad = badOutputName(argv[3]); !bad.isEmpty())
        return fail(bad);
    const QString file = fromHere(argv[3]);
    const QString dir = roomArg(argc, argv, 4);
    Classroom room;
    if (const int rc = enterClassroom(dir, &room))
        return rc;
    try {
        const certificate::Made made = certificate::make(room, name, file);
        if (!made.refusal.isEmpty())
            return fail(made.refusal);
        const std::optional<certificate::Pass> &pass = made.pass;
        if (!pass)
            return fail(certificate::noPass(name));
        std::printf("%s\n", QStringLiteral("%1さんの合格証（%2）を保存しました: %3")
                                .arg(name, overview::gradeText(pass->grade), file).toUtf8().constData());
    } catch (const pz::Error &e) {
        return fail(e.text());
    }
    return 0;
}

// "pikazan --class-sheet GRADE SET FILE.pdf [DIR]" (みんなでフラッシュ's key) and
// "--class-sheet-blank …" (its answer sheet): the set of ten questions of GRADE and SET with the
// grade's settings of the classroom DIR (the current folder when left out), painted without a
// display. A grade or set number that is not one is a usage error (2).
int classSheetMode(int argc, char **argv, classpaper::Paper paper, const char *usage, int questions)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const QString gradeText = QString::fromLocal8Bit(argv[2]), setText = QString::fromLocal8Bit(argv[3]);
    const std::optional<GradeCode> grade = classset::parseGrade(gradeText);
    const std::optional<int> set = classset::parseSetNumber(setText);
    if (!grade || !set) {
        fail(!grade ? classset::unknownGrade(gradeText) : classset::checkSetNumber(-1));
        std::fputs(usage, stderr);
        return 2;
    }
    // FILE is taken from where the command was given, before the classroom becomes the working folder.
    if (const QString bad = badOutputName(argv[4]); !bad.isEmpty())
        return fail(bad);
    const QString file = fromHere(argv[4]);
    const QString dir = roomArg(argc, argv, 5);
    Classroom room;
    if (const int rc = enterClassroom(dir, &room))
        return rc;
    try {
        const classset::Made made = classset::make(*grade, *set, questions);
        if (!made.set)
            return fail(made.refusal);
        if (const QString refused = classpaper::write(room, paper, *made.set, file); !refused.isEmpty())
            return fail(refused);
        std::printf("%s\n", QStringLiteral("「%1」（%2）を保存しました: %3")
                                .arg(classpaper::title(paper), classset::heading(*made.set), file).toUtf8().constData());
    } catch (const pz::Error &e) {
        return fail(e.text());
    }
    return 0;
}

bool displayReachable(); // at the end of the file, with the X headers

// "pikazan --check-pace [DIR]": 十段's pace (the classroom's, when DIR or the current folder is one) and the
// fastest pace the settings allow, each for a while through the flash timers; prints the figures and
// a verdict line, and ends with 0 when this PC keeps the pace within a frame, 1 when not. With a
// display each number is also painted as the flash screen paints it; without one only QtCore runs.
int checkPaceMode(int argc, char **argv)
{
    int qtArgc = 1;
    const QString dir = roomArg(argc, argv, 2);
    Classroom::use(Classroom(dir));
    std::printf("%s\n", (QFileInfo(QDir(dir).filePath(QStringLiteral("settei/settei.dat"))).isFile()
                             ? QStringLiteral("教室フォルダ: %1").arg(dir)
                             : QStringLiteral("教室フォルダではありません: %1（標準の設定でしらべます）").arg(dir))
                            .toUtf8().constData());
    const bool painting = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || displayReachable();
    const auto announce = [](const std::vector<pacecheck::Pace> &paces) {
        const qint64 total = pacecheck::Seams{}.perPace.count() * qint64(paces.size());
        std::printf("%s\n", QStringLiteral("このパソコンで数字を出すタイミングをしらべています（%1秒ほど）…")
                                .arg((total + 500) / 1000).toUtf8().constData());
        std::fflush(stdout);
    };
    std::vector<pacecheck::Figures> figures;
    if (painting) {
        const QtMessageHandler usual = qInstallMessageHandler(beforeTheDisplay);
        App app(qtArgc, argv);
        qInstallMessageHandler(usual);
        releaseHeld();
        const std::vector<pacecheck::Pace> paces = pacecheck::paces(pacecheck::classroomSettings());
        announce(paces);
        figures = pacecheck::runOnScreen(nullptr, paces, {});
    } else {
        QCoreApplication app(qtArgc, argv);
        const std::vector<pacecheck::Pace> paces = pacecheck::paces(pacecheck::classroomSettings());
        announce(paces);
        figures = pacecheck::run(paces, {});
    }
    std::printf("%s\n", pacecheck::report(figures).join(QLatin1Char('\n')).toUtf8().constData());
    return pacecheck::keepsPace(figures) ? 0 : 1;
}

// "pikazan --repair-classroom [DIR]": brings back the files of settei/ and wav/ that are missing
// from the package's defaults, and says which; nothing there is replaced, user/ is left alone.
int repairMode(int argc, char **argv)
{
    int qtArgc = 1;
    QCoreApplication app(qtArgc, argv);
    const QString dir = roomArg(argc, argv, 2);
    QStringList restored;
    try {
        const QString refusal = classroom::repair(dir, templateFolder(), &restored);
        if (!refusal.isEmpty())
            return fail(refusal);
    } catch (const pz::Error &e) {
        for (const QString &r : std::as_const(restored))
            std::printf("%s\n", QStringLiteral("もどしました: %1").arg(r).toUtf8().constData());
        return fail(e.text());
    }
    std::printf("%s\n", QStringLiteral("教室フォルダ: %1").arg(dir).toUtf8().constData());
    for (const QString &r : std::as_const(restored))
        std::printf("%s\n", QStringLiteral("もどしました: %1").arg(r).toUtf8().constData());
    if (restored.isEmpty())
        std::printf("%s\n", QStringLiteral("足りないファイルはありません。").toUtf8().constData());
    // The teacher's command on a broken room is where a pupil's thing in the lock's place is told.
    const Classroom room(QFileInfo(dir).absoluteFilePath());
    const Classroom::Using using_(room);
    if (const QString note = folderlock::strangerNote(room.user()); !note.isEmpty())
        std::printf("%s\n", note.toUtf8().constData());
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    // Past a file size limit (ulimit -f) a write fails and is reported, its temporary removed and
    // the old file whole, instead of a signal ending the program part-way.
    ::signal(SIGXFSZ, SIG_IGN);
    if (argc >= 2 && std::strncmp(argv[1], "--", 2) == 0 && std::strcmp(argv[1], "--message") != 0)
        passedOn = qInstallMessageHandler(withoutRuntimeDirNote);
    if (argc >= 2 && std::strcmp(argv[1], "--repair-classroom") == 0) {
        if (argc > 3) {
            std::fputs("使い方: pikazan --repair-classroom [教室フォルダ]\n", stderr);
            return 2;
        }
        return repairMode(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--message") == 0) {
        if (argc != 3) {
            std::fputs("使い方: pikazan --message 文章\n", stderr);
            return 2;
        }
        return messageMode(argv[0], argv[2]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--export-csv") == 0) {
        if (argc != 3 && argc != 4) {
            std::fputs("使い方: pikazan --export-csv CSVファイル [教室フォルダ]\n", stderr);
            return 2;
        }
        return exportMode(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--certificate") == 0) {
        if (argc != 4 && argc != 5) {
            std::fputs("使い方: pikazan --certificate 名前 PDFファイル [教室フォルダ]\n", stderr);
            return 2;
        }
        return certificateMode(argc, argv);
    }
    for (const char *option : {"--class-sheet", "--class-sheet-blank"}) {
        if (argc >= 2 && std::strcmp(argv[1], option) == 0) {
            const bool blank = std::strcmp(option, "--class-sheet-blank") == 0;
            const char *usage = blank ? "使い方: pikazan --class-sheet-blank [-n 問題数] 級 セット番号 PDFファイル [教室フォルダ]\n"
                                      : "使い方: pikazan --class-sheet [-n 問題数] 級 セット番号 PDFファイル [教室フォルダ]\n";
            // "-n N": the number of questions the class saw (1 to 10; 10 when left out).
            int questions = classset::kMaxQuestions;
            std::vector<char *> args(argv, argv + argc);
            if (argc >= 4 && std::strcmp(argv[2], "-n") == 0) {
                bool ok = false;
                questions = QString::fromLocal8Bit(argv[3]).toInt(&ok);
                if (!ok || !classset::checkQuestionCount(questions).isEmpty()) {
                    fail(classset::checkQuestionCount(ok ? questions : 0));
                    std::fputs(usage, stderr);
                    return 2;
                }
                args.erase(args.begin() + 2, args.begin() + 4);
            }
            const int rest = int(args.size());
            if (rest != 5 && rest != 6) {
                std::fputs(usage, stderr);
                return 2;
            }
            args.push_back(nullptr);
            return classSheetMode(rest, args.data(), blank ? classpaper::Paper::AnswerSheet : classpaper::Paper::AnswerKey, usage,
                                  questions);
        }
    }
    if (argc >= 2 && std::strcmp(argv[1], "--add-users") == 0) {
        if (argc != 3 && argc != 4) {
            std::fputs("使い方: pikazan --add-users 名簿ファイル [教室フォルダ]\n", stderr);
            return 2;
        }
        return addUsersMode(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--set-password") == 0) {
        if (argc != 3 && argc != 4) {
            std::fputs("使い方: pikazan --set-password 名前 [教室フォルダ]（パスワードは標準入力から）\n", stderr);
            return 2;
        }
        return setPasswordMode(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--check-pace") == 0) {
        if (argc != 2 && argc != 3) {
            std::fputs("使い方: pikazan --check-pace [教室フォルダ]\n", stderr);
            return 2;
        }
        return checkPaceMode(argc, argv);
    }
    for (const char *option : {"--setup-classroom", "--set-master-password"}) {
        if (argc >= 2 && std::strcmp(argv[1], option) == 0) {
            const bool setup = std::strcmp(option, "--setup-classroom") == 0;
            // The set-up may name the teacher's account, which is to own user/ (IT runs it as root).
            const bool named = setup && argc == 5 && std::strcmp(argv[2], "--teacher") == 0;
            if (argc != 3 && !named) {
                std::fprintf(stderr, "使い方: pikazan %s%s 教室フォルダ（マスターパスワードは標準入力から）\n", option,
                             setup ? " [--teacher 先生のアカウント]" : "");
                return 2;
            }
            return classroomMode(argv, setup, argv[named ? 4 : 2], named ? argv[3] : "");
        }
    }

    // "--classroom DIR" names the folder the window works in.
    QString roomFolder;
    if (argc >= 2 && std::strcmp(argv[1], "--classroom") == 0) {
        if (argc != 3 || !QFileInfo(QString::fromLocal8Bit(argv[2])).isDir()) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        roomFolder = QString::fromLocal8Bit(argv[2]);
        argc = 1; // Qt sees only the program's name
    }

    // An option no mode knows is a mistyped command, not a wish for the window.
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) == 0) {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }

    const QtMessageHandler usual = qInstallMessageHandler(beforeTheDisplay);
    display::scaleLayoutBeforeApp();
    App app(argc, argv);
    qInstallMessageHandler(usual);
    releaseHeld();

    // Before the screens: the main menu's creation switches the display and starts its guard.
    unixsignals::onTermination(pz::guarded([&app] {
        // The menu's close writes what is still to be written; whatever runs then (a box, a
        // dialog, a modal screen) ends with it.
        if (auto *menu = app.screens().mainMenu)
            menu->Close();
        if (!app.ending())
            app.endProgram();
    }));
    // The classroom is the folder named by --classroom (the launcher names it), else the folder
    // the program was started in.
    Classroom::use(Classroom(roomFolder.isEmpty() ? QDir::currentPath() : fromHere(roomFolder)));
    sound::useClassroom(Classroom::inUse());
    sound::init();
    app.createScreens();

    // However the program ends, the display goes back to the mode it had.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, pz::guarded([&app] {
        if (auto *menu = app.screens().mainMenu)
            menu->restoreDisplayMode();
    }));

    if (TForm11 *splash = app.screens().splash)
        splash->ShowModal();
    if (!app.ending())
        app.screens().mainMenu->Show();
    const int rc = app.run(); // returns at once when the program was ended before its loop started
    app.screens().mainMenu->restoreDisplayMode();
    app.destroyScreens();
    return rc;
}

// Last, so that the X headers' macros (None, Bool, Status …) reach nothing above; their Screen
// is renamed, the program has its own.
#define Screen XScreen
#include <X11/Xlib.h>
#undef Screen

namespace {
bool displayReachable()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return false;
    XCloseDisplay(dpy);
    return true;
}
} // namespace
