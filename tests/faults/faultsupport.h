#pragma once
// The fault tests' helper process (faults_helper) driven from a test: handed a classroom
// folder by name, its result lines read with deadlines that give up with a message, paused and resumed at
// the store's named steps.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QtTest>

#include <unistd.h>

namespace faults {

class Helper {
public:
    // as: "" for this user, "nobody" to run as nobody, "UID:GID" to run as account UID (its own
    // group UID) belonging to group GID as well (only root can do either).
    Helper(const QString &folder, const QStringList &given, const QString &as = QString())
    {
        const QStringList args = QStringList{QStringLiteral("--classroom"), folder} + given;
        p_.setProcessChannelMode(QProcess::SeparateChannels);
        if (as == QLatin1String("nobody"))
            p_.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                            QStringLiteral("--clear-groups"), QStringLiteral(PZ_HELPER)} + args);
        else if (as.contains(QLatin1Char(':')))
            p_.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=") + as.section(QLatin1Char(':'), 0, 0),
                                                            QStringLiteral("--regid=") + as.section(QLatin1Char(':'), 0, 0),
                                                            QStringLiteral("--groups=") + as.section(QLatin1Char(':'), 1, 1),
                                                            QStringLiteral(PZ_HELPER)} + args);
        else
            p_.start(QStringLiteral(PZ_HELPER), args);
    }
    ~Helper()
    {
        if (p_.state() != QProcess::NotRunning) {
            p_.kill();
            p_.waitForFinished(5000);
        }
    }
    // The next line the helper prints, or "" after ms without one.
    QString line(int ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!p_.canReadLine()) {
            const int left = ms - int(t.elapsed());
            if (left <= 0 || (p_.state() == QProcess::NotRunning && !p_.waitForReadyRead(0)))
                break;
            p_.waitForReadyRead(qMin(left, 100));
        }
        if (!p_.canReadLine())
            return QString();
        QString l = QString::fromUtf8(p_.readLine()).trimmed();
        l.replace(QLatin1String("\\n"), QLatin1String("\n"));
        return l;
    }
    void resume() { p_.write("\n"); p_.waitForBytesWritten(1000); }
    bool finished(int ms = 10000) { return p_.state() == QProcess::NotRunning || p_.waitForFinished(ms); }
    bool running() const { return p_.state() == QProcess::Running; }
    int exitCode() const { return p_.exitCode(); }
    qint64 pid() const { return p_.processId(); }
    QProcess &process() { return p_; }
    QString errors() { return QString::fromUtf8(p_.readAllStandardError()); }

private:
    QProcess p_;
};

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(bytes);
}

// The history header as Microsoft's cp932 writes it, with its line end.
inline QByteArray headerBytes()
{
    return QByteArray::fromHex("8b892f92692c93fa95742c90b389f090942c957390b389f090942c8d8794db") + "\r\n";
}

inline bool isRoot() { return ::geteuid() == 0; }

} // namespace faults
