// Message boxes beside a real window manager (openbox on Xvfb, started by with-openbox.sh): a short
// box leaves room for its whole title on openbox's title bar, and the program's message mode (the
// launcher's way to say why it cannot start) shows its text in one box and ends when it is closed.
#include "support/testmain.h"

#include <QMessageBox>
#include <QProcess>
#include <QScreen>

namespace {
// A tool's output; the command's words are split as a shell would.
QByteArray run(const QString &command)
{
    QStringList words = QProcess::splitCommand(command);
    QProcess p;
    p.start(words.takeFirst(), words);
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}
bool key(const char *keysym) { return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(keysym)}) == 0; }
// What the X server shows of a window (its inside, without the frame).
QImage shot(const QString &window)
{
    return QImage::fromData(run(QStringLiteral("import -window %1 png:-").arg(window)), "PNG").convertToFormat(QImage::Format_RGB32);
}
// The windows of the message mode's program (class "pikazan").
QStringList programWindows()
{
    return QString::fromUtf8(run(QStringLiteral("xdotool search --onlyvisible --classname ^pikazan$"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
} // namespace

class TestBoxes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run by with-openbox.sh");
        dialogs::setHook({}); // real boxes
    }
    void shortBoxShowsItsTitle_data();
    void shortBoxShowsItsTitle();
    void messageMode_data();
    void messageMode();
};

void TestBoxes::shortBoxShowsItsTitle_data()
{
    QTest::addColumn<bool>("deletion");
    QTest::addColumn<QString>("text");
    QTest::newRow("空白の欄があります") << false << QStringLiteral("空白の欄があります");
    QTest::newRow("登録しました") << false << QStringLiteral("登録しました");
    QTest::newRow("保存しました") << false << QStringLiteral("保存しました");
    QTest::newRow("削除しました") << true << QStringLiteral("削除しました");
}

// Openbox's title bar (the distribution's Clearlooks theme, sans 8 pt bold, title centred over the
// bar) holds the menu icon on the left and three square buttons on the right, each about as wide
// as the bar is high. The title shows whole only where the window leaves room for the text and for
// the buttons on both sides; a narrower box shows "検… ん".
void TestBoxes::shortBoxShowsItsTitle()
{
    QFETCH(bool, deletion);
    QFETCH(QString, text);
    int width = 0, bar = 0;
    QString title;
    QTimer::singleShot(1000, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            width = box->width();
            title = box->windowTitle();
            // The height of openbox's title bar: the top of the frame's extents.
            bar = QString::fromUtf8(run(QStringLiteral("xprop -id %1 _NET_FRAME_EXTENTS").arg(box->winId()))).section(QLatin1Char(','), 2, 2).toInt();
        }
        key("Return");
    });
    if (deletion)
        dialogs::informDeleted(text);
    else
        dialogs::inform(text);
    QCOMPARE(title, style::programTitle());
    QVERIFY2(bar > 0, "openbox drew no title bar");

    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(qRound(8 * QGuiApplication::primaryScreen()->physicalDotsPerInchY() / 72));
    font.setBold(true);
    const int need = QFontMetrics(font).horizontalAdvance(title) + 2 * 3 * bar;
    QVERIFY2(width >= need, qPrintable(QStringLiteral("%1 px wide, the title needs %2").arg(width).arg(need)));
}

void TestBoxes::messageMode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("dismiss");
    QTest::newRow("the launcher's refusal, Enter")
        << QStringLiteral("教室フォルダが見つかりません（ネットワークドライブはつながっていますか）: /mnt/school/pikazan")
        << QByteArray("Return");
    QTest::newRow("two lines, Escape") << QStringLiteral("教室フォルダの準備ができていません: /mnt/x\nありません: user/")
                                       << QByteArray("Escape");
    QTest::newRow("a text like an option of Qt's, Space") << QStringLiteral("-reverse") << QByteArray("space");
}

// The real program in its message mode: one box (no screen), titled with the program's title, that
// shows the text as given: pixel for pixel what this program's own error box shows for it (a text
// turned into mojibake or cut would differ); a key closes it and the program ends with 0, having
// written nothing in its folder.
void TestBoxes::messageMode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, dismiss);
    QTemporaryDir cwd;
    QProcess program;
    program.setWorkingDirectory(cwd.path());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(PZ_PROGRAM), {QStringLiteral("--message"), text});
    QTRY_VERIFY_WITH_TIMEOUT(!programWindows().isEmpty(), 10000);
    QTest::qWait(500);
    const QStringList windows = programWindows();
    QCOMPARE(windows.size(), 1);
    const QString name = QString::fromUtf8(run(QStringLiteral("xprop -id %1 _NET_WM_NAME").arg(windows[0]))).trimmed();
    QVERIFY2(name.endsWith(QStringLiteral("= \"%1\"").arg(style::programTitle())), qPrintable(name));

    const QImage shown = shot(windows[0]);
    QVERIFY(!shown.isNull());
    QVERIFY(key(dismiss.constData()));
    QVERIFY2(program.waitForFinished(5000), "the box did not close");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());

    QImage own;
    QTimer::singleShot(1000, [&] {
        if (QWidget *box = QApplication::activeModalWidget())
            own = shot(QString::number(box->winId()));
        key("Return");
    });
    dialogs::errorBox(text);
    QCOMPARE(shown.size(), own.size());
    QVERIFY2(shown == own, "the message mode's box differs from the program's own error box with that text");
}

PZ_GUI_TEST_MAIN(TestBoxes)
#include "tst_wm_boxes.moc"
