#pragma once
// Permission cases as an ordinary account. Root passes every permission check, so when the tests
// run as root the current test function (with its data row) runs again in a child process as the
// account "nobody", with one supplementary group for files that a group of accounts shares.
#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

#include <grp.h>
#include <unistd.h>

namespace testsupport {

// Returns true where the caller is to run the case itself (it is no root); false once the case has
// run as nobody, its failure failing this test.
inline bool runAsOrdinaryUser()
{
    if (::geteuid() != 0)
        return true;
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    const QString which = tag.isEmpty() ? function : function + QLatin1Char(':') + tag;
    const QByteArray passed = QStringLiteral("::%1(%2)").arg(function, tag).toUtf8();
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    env.insert(QStringLiteral("HOME"), QStringLiteral("/tmp"));
    child.setProcessEnvironment(env);
    // Group 100 ("users" on Debian) is not nobody's own group.
    child.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--groups=100"),
                                            QStringLiteral("--"), QCoreApplication::applicationFilePath(), which});
    if (!child.waitForStarted(5000))
        QTest::qSkip("setpriv is missing: cannot run this as an ordinary user", __FILE__, __LINE__);
    else if (!child.waitForFinished(60000))
        QTest::qFail("the run as an ordinary user did not end", __FILE__, __LINE__);
    else {
        const QByteArray out = child.readAll();
        bool ran = false;
        for (const QByteArray &line : out.split('\n'))
            ran = ran || (line.startsWith("PASS   :") && line.endsWith(passed));
        if (out.contains("SKIP   :"))
            QTest::qSkip(out.constData(), __FILE__, __LINE__);
        else if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || !ran)
            QTest::qFail(out.constData(), __FILE__, __LINE__);
    }
    return false;
}

// A group of this process other than its own, to share a file with; -1 when it has none.
inline gid_t otherGroup()
{
    gid_t groups[64];
    const int n = ::getgroups(64, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] != ::getegid())
            return groups[i];
    return gid_t(-1);
}

} // namespace testsupport
