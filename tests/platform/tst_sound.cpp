// The sound layer: which wave files are handed to the audio backend, the default sound for a
// countdown file that is missing or damaged, a changed file picked up at the next cue, and an exit
// that never hangs on a damaged file.
#include "support/testmain.h"

#include "platform/wavefile.h"

#include <QProcess>
#include <QtEndian>

#include <sys/stat.h>

using testsupport::Program;
using testsupport::recorder;

namespace {
QByteArray le32(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le16(quint16 v)
{
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray chunk(const QByteArray &id, const QByteArray &body) { return id + le32(quint32(body.size())) + body; }
QByteArray fmt(quint16 format = 1, quint16 channels = 1, quint32 rate = 22050, quint16 bits = 16)
{
    const quint16 align = quint16(channels * bits / 8);
    return le16(format) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
}
QByteArray riff(const QByteArray &chunks) { return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks; }
// A short, well-formed 16-bit mono sound.
QByteArray goodWave() { return riff(chunk("fmt ", fmt()) + chunk("data", QByteArray(2000, '\x10'))); }

QByteArray asset(const char *relative)
{
    QFile f(QStringLiteral(PZ_ASSETS "/") + QString::fromLatin1(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Which cue a countdown tick plays now.
sound::Cue countdownCue()
{
    recorder().clear();
    sound::play(sound::Cue::Countdown);
    return recorder().sounds.value(0, sound::Cue::Exclamation);
}
} // namespace

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void waveCheck_data();
    void waveCheck();
    void countdownFile_data();
    void countdownFile();
    void aChangedFileIsPickedUp();
    void exitDoesNotHangOnADamagedFile_data();
    void exitDoesNotHangOnADamagedFile();
};

void TestSound::waveCheck_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("playable");
    const QByteArray good = goodWave();
    QTest::newRow("16-bit mono PCM") << good << true;
    QTest::newRow("8-bit stereo PCM") << riff(chunk("fmt ", fmt(1, 2, 44100, 8)) + chunk("data", QByteArray(400, 0))) << true;
    QTest::newRow("32-bit float") << riff(chunk("fmt ", fmt(3, 1, 48000, 32)) + chunk("data", QByteArray(400, 0))) << true;
    QTest::newRow("odd-sized chunk before the samples, padded")
        << riff(chunk("fmt ", fmt()) + chunk("LIST", "abc") + QByteArray(1, 0) + chunk("data", QByteArray(200, 0))) << true;
    QTest::newRow("bytes after the RIFF chunk") << good + QByteArray(7, 'x') << true;
    QTest::newRow("the installed countdown") << asset("wav/a.wav") << true;
    QTest::newRow("the warning cue") << asset("sounds/exclamation.wav") << true;
    QTest::newRow("the default beep") << asset("sounds/default.wav") << true;

    QTest::newRow("0 bytes") << QByteArray() << false;
    QTest::newRow("the RIFF tag only") << QByteArray("RIFF") << false;
    QTest::newRow("header only") << good.left(12) << false;
    QTest::newRow("cut short in the samples") << good.left(good.size() - 500) << false;
    QTest::newRow("cut short in the format") << good.left(30) << false;
    QByteArray hugeRiff = good;
    hugeRiff.replace(4, 4, le32(0xFFFFFFFFu));
    QTest::newRow("RIFF size 4 GiB") << hugeRiff << false;
    QTest::newRow("data chunk claims 4 GiB")
        << "RIFF" + le32(4 + 24 + 8 + 200) + "WAVE" + chunk("fmt ", fmt()) + "data" + le32(0xFFFFFFF0u) + QByteArray(200, 0) << false;
    QTest::newRow("format chunk claims 2 GiB")
        << "RIFF" + le32(4 + 24 + 8 + 200) + "WAVE" + "fmt " + le32(0x7FFFFFFFu) + fmt() + chunk("data", QByteArray(200, 0)) << false;
    QTest::newRow("format chunk of 4 bytes") << riff(chunk("fmt ", fmt().left(4)) + chunk("data", QByteArray(200, 0))) << false;
    QTest::newRow("no format chunk") << riff(chunk("data", QByteArray(200, 0))) << false;
    QTest::newRow("no samples chunk") << riff(chunk("fmt ", fmt())) << false;
    QTest::newRow("samples before the format") << riff(chunk("data", QByteArray(200, 0)) + chunk("fmt ", fmt())) << false;
    QTest::newRow("empty samples chunk") << riff(chunk("fmt ", fmt()) + chunk("data", {})) << false;
    QTest::newRow("compressed (ADPCM)") << riff(chunk("fmt ", fmt(2)) + chunk("data", QByteArray(200, 0))) << false;
    QTest::newRow("0 channels") << riff(chunk("fmt ", fmt(1, 0)) + chunk("data", QByteArray(200, 0))) << false;
    QTest::newRow("0 samples per second") << riff(chunk("fmt ", fmt(1, 1, 0)) + chunk("data", QByteArray(200, 0))) << false;
    QTest::newRow("12 bits per sample") << riff(chunk("fmt ", fmt(1, 1, 22050, 12)) + chunk("data", QByteArray(200, 0))) << false;
    QByteArray badAlign = fmt();
    badAlign.replace(12, 2, le16(7));
    QTest::newRow("block alignment that does not fit") << riff(chunk("fmt ", badAlign) + chunk("data", QByteArray(200, 0))) << false;
    QTest::newRow("RIFF but AVI") << QByteArray(good).replace(8, 4, "AVI ") << false;
    QTest::newRow("text") << QByteArray("this is not a sound\r\n") << false;
    QTest::newRow("larger than the limit") << good + QByteArray(wavefile::kMaxBytes, 0) << false;
}

void TestSound::waveCheck()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, playable);
    const QString problem = wavefile::problem(bytes);
    QVERIFY2(problem.isEmpty() == playable, qPrintable(problem.isEmpty() ? QStringLiteral("accepted") : problem));
}

void TestSound::countdownFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("played");
    QTest::newRow("the installed file") << "installed" << true;
    QTest::newRow("missing: the default sound") << "missing" << false;
    QTest::newRow("0 bytes") << "empty" << false;
    QTest::newRow("cut short") << "cut" << false;
    QTest::newRow("a folder in its place") << "folder" << false;
    QTest::newRow("a FIFO in its place: no read that blocks") << "fifo" << false;
    QTest::newRow("a link to /dev/zero: no endless read") << "zero" << false;
    QTest::newRow("a link to a good file") << "link" << true;
}

void TestSound::countdownFile()
{
    QFETCH(QString, what);
    QFETCH(bool, played);
    Program p;
    const QString wav = p.path(QStringLiteral("wav/a.wav"));
    const QByteArray installed = p.readFile(QStringLiteral("wav/a.wav"));
    QVERIFY(!installed.isEmpty());
    if (what != QLatin1String("installed"))
        QVERIFY(QFile::remove(wav));
    if (what == QLatin1String("empty"))
        p.writeFile(QStringLiteral("wav/a.wav"), {});
    else if (what == QLatin1String("cut"))
        p.writeFile(QStringLiteral("wav/a.wav"), installed.left(installed.size() / 2));
    else if (what == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(wav));
    else if (what == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(wav).constData(), 0600), 0);
    else if (what == QLatin1String("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), wav));
    else if (what == QLatin1String("link")) {
        p.writeFile(QStringLiteral("good.wav"), installed);
        QVERIFY(QFile::link(p.path(QStringLiteral("good.wav")), wav));
    }
    QCOMPARE(countdownCue(), played ? sound::Cue::Countdown : sound::Cue::Default);
    // The other cues are what they are, whatever the countdown file.
    recorder().clear();
    sound::play(sound::Cue::Exclamation);
    QCOMPARE(recorder().sounds, QList<sound::Cue>{sound::Cue::Exclamation});
}

void TestSound::aChangedFileIsPickedUp()
{
    Program p;
    QCOMPARE(countdownCue(), sound::Cue::Countdown);
    p.writeFile(QStringLiteral("wav/a.wav"), goodWave().left(100)); // damaged in place
    QCOMPARE(countdownCue(), sound::Cue::Default);
    QCOMPARE(countdownCue(), sound::Cue::Default);
    p.writeFile(QStringLiteral("wav/a.wav"), goodWave()); // mended
    QCOMPARE(countdownCue(), sound::Cue::Countdown);
    QVERIFY(QFile::remove(p.path(QStringLiteral("wav/a.wav"))));
    QCOMPARE(countdownCue(), sound::Cue::Default);
    p.writeFile(QStringLiteral("wav/a.wav"), goodWave()); // put back
    QCOMPARE(countdownCue(), sound::Cue::Countdown);
}

void TestSound::exitDoesNotHangOnADamagedFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0 bytes") << QByteArray();
    QTest::newRow("cut short") << goodWave().left(60);
    QByteArray absurd = goodWave();
    absurd.replace(40, 4, le32(0xFFFFFFF0u)); // the data chunk's size
    QTest::newRow("absurd chunk size") << absurd;
    QTest::newRow("good") << goodWave();
}

// The program's own sounds, really loaded and played, in a process of its own that then ends as the
// program does: it must be gone within seconds.
void TestSound::exitDoesNotHangOnADamagedFile()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("wav")));
    QFile f(dir.filePath(QStringLiteral("wav/a.wav")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QProcess child;
    child.setWorkingDirectory(dir.path());
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--play-countdown-and-quit")});
    QVERIFY(child.waitForStarted(5000));
    const bool ended = child.waitForFinished(15000);
    if (!ended)
        child.kill();
    QVERIFY2(ended, "the process did not end: a sound's destructor waits");
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && qstrcmp(argv[1], "--play-countdown-and-quit") == 0) {
        // As the program: real sounds, three countdown ticks, then the end of the application.
        int childArgc = 1;
        App app(childArgc, argv);
        sound::init();
        for (int i = 0; i < 3; ++i)
            QTimer::singleShot(100 * i, &app, [] { sound::play(sound::Cue::Countdown); });
        QTimer::singleShot(600, &app, &QCoreApplication::quit);
        return app.exec();
    }
    App app(argc, argv);
    testsupport::install();
    TestSound tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_sound.moc"
