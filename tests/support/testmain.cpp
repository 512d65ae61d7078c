#include "support/testmain.h"
#include "support/drillplay.h"

#include "platform/textfile.h"

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
}

Program::Program(const QByteArray &masterPassword) : oldCwd_(QDir::currentPath())
{
    layOutClassroom(dir_.path(), masterPassword);
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

void Program::writeSettings(const QStringList &lines)
{
    writeFile(QStringLiteral("settei/settei.dat"), cp932Lines(lines));
}

QString playDrill(SharedState &s, const QList<int> &sums, const QStringList &typed, const QDate &today)
{
    const DrillSession::Answered last = drillplay::questions(s.drill, sums, typed, {s.userName, s.gradeName, today});
    s.drill.ended();
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

} // namespace testsupport
