#include "support/testmain.h"

#include "platform/errors.h"

#include <QFile>
#include <QFileInfo>

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
    dialogs::setHook([](const dialogs::Shown &s) {
        recorder().boxes.append(s);
        return recorder().nextAnswer;
    });
    sound::setObserver([](sound::Cue c) { recorder().sounds.append(c); });
}

Program::Program(const QByteArray &masterPassword) : oldCwd_(QDir::currentPath())
{
    QDir d(dir_.path());
    d.mkpath(QStringLiteral("settei"));
    d.mkpath(QStringLiteral("user"));
    d.mkpath(QStringLiteral("wav"));
    QFile::copy(QStringLiteral(PZ_ASSETS "/settei/settei.dat"), d.filePath(QStringLiteral("settei/settei.dat")));
    QFile::copy(QStringLiteral(PZ_ASSETS "/wav/a.wav"), d.filePath(QStringLiteral("wav/a.wav")));
    writeFile(QStringLiteral("user/master.psw"), masterPassword.isEmpty() ? QByteArray() : masterPassword + "\r\n");
    QDir::setCurrent(dir_.path());
    recorder().clear();
    App::instance()->createScreens();
}

Program::~Program()
{
    App::instance()->destroyScreens();
    QDir::setCurrent(oldCwd_);
    recorder().clear();
}

void Program::writeFile(const QString &relative, const QByteArray &bytes)
{
    const QString p = dir_.filePath(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(p));
    f.write(bytes);
}

QByteArray Program::readFile(const QString &relative) const
{
    QFile f(dir_.filePath(relative));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

} // namespace testsupport
