#pragma once
// Lays out a working folder as the program is installed (settings, master password, sound), for the
// tests, the screenshot walk and the benchmark. PZ_ASSETS is the source tree's assets folder.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

inline void layOutClassroom(const QString &path, const QByteArray &masterPassword)
{
    QDir d(path);
    for (const char *sub : {"settei", "user", "wav"})
        d.mkpath(QString::fromLatin1(sub));
    QFile::copy(QStringLiteral(PZ_ASSETS "/settei/settei.dat"), d.filePath(QStringLiteral("settei/settei.dat")));
    QFile::copy(QStringLiteral(PZ_ASSETS "/wav/a.wav"), d.filePath(QStringLiteral("wav/a.wav")));
    QFile m(d.filePath(QStringLiteral("user/master.psw")));
    if (m.open(QIODevice::WriteOnly | QIODevice::Truncate))
        m.write(masterPassword.isEmpty() ? QByteArray() : masterPassword + "\r\n");
}
