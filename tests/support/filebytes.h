#pragma once
// A file's bytes read and written whole, for the tests that compare files byte for byte.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

namespace testsupport {

// The file's bytes; "<missing>" when it cannot be read, so that a comparison names what went wrong.
inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Puts exactly `bytes` in the file; a file that cannot be written fails the test.
inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace testsupport
