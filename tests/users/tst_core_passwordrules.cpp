// What a typed password opens, without a display: the deletion, the teacher's door and a child's
// login, each against the stored password as given.
#include "base/errors.h"
#include "users/passwordrules.h"

#include <QtTest>

using passwordrules::Login;
using passwordrules::Teacher;

Q_DECLARE_METATYPE(Teacher)
Q_DECLARE_METATYPE(Login::Outcome)

class TestPasswordRules : public QObject {
    Q_OBJECT
private slots:
    void masterPassword_data()
    {
        QTest::addColumn<QString>("master");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Teacher>("door");
        QTest::addColumn<bool>("mayDelete");
        QTest::newRow("none set, nothing typed") << "" << "" << Teacher::NotSet << false;
        QTest::newRow("none set, something typed") << "" << "teacher" << Teacher::NotSet << false;
        QTest::newRow("right") << "teacher" << "teacher" << Teacher::Opens << true;
        QTest::newRow("a space after it") << "teacher" << "teacher " << Teacher::Wrong << false;
        QTest::newRow("letter case") << "teacher" << "Teacher" << Teacher::Wrong << false;
        QTest::newRow("nothing typed") << "teacher" << "" << Teacher::Wrong << false;
        QTest::newRow("full-width is not ASCII") << QStringLiteral("ａｂｃ") << "abc" << Teacher::Wrong << false;
        // Text that cp932 cannot hold never matches, not even itself.
        QTest::newRow("no cp932 text") << QStringLiteral("\U0001F600") << QStringLiteral("\U0001F600") << Teacher::Wrong << false;
    }
    void masterPassword()
    {
        QFETCH(QString, master);
        QFETCH(QString, typed);
        QFETCH(Teacher, door);
        QFETCH(bool, mayDelete);
        QCOMPARE(passwordrules::teacherDoor(master, typed), door);
        QCOMPARE(passwordrules::mayDelete(master, typed), mayDelete);
    }

    void login_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // "<damaged>": reading it throws
        QTest::addColumn<Login::Outcome>("outcome");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("read"); // whether the password file was read
        const QString badChar = QStringLiteral("パスワードにつかえないもじがはいっています");
        QTest::newRow("right") << "pw" << "pw" << Login::Outcome::LoggedIn << "" << true;
        QTest::newRow("wrong") << "px" << "pw" << Login::Outcome::Wrong << "" << true;
        QTest::newRow("letter case") << "PW" << "pw" << Login::Outcome::Wrong << "" << true;
        QTest::newRow("nothing typed: compared, not refused") << "" << "pw" << Login::Outcome::Wrong << "" << true;
        QTest::newRow("a line end: refused unread") << "p\nw" << "p" << Login::Outcome::Refused << badChar << false;
        QTest::newRow("no cp932 text: refused unread") << QStringLiteral("\U0001F600") << "pw" << Login::Outcome::Refused
                                                       << badChar << false;
        QTest::newRow("refused before a damaged file is read") << "p\rw" << "<damaged>" << Login::Outcome::Refused << badChar
                                                               << false;
    }
    void login()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(Login::Outcome, outcome);
        QFETCH(QString, refusal);
        QFETCH(bool, read);
        bool wasRead = false;
        const Login l = passwordrules::login(typed, [&] {
            wasRead = true;
            if (stored == QLatin1String("<damaged>"))
                throw pz::IoError(QStringLiteral("user/x.psw"), QStringLiteral("damaged"));
            return stored;
        });
        QCOMPARE(l.outcome, outcome);
        QCOMPARE(l.refusal, refusal);
        QCOMPARE(wasRead, read);
    }

    void damagedFileAtLogin()
    {
        // A typing that may be a password reads the file, and its damage is no wrong password.
        QVERIFY_THROWS_EXCEPTION(pz::IoError, passwordrules::login(QStringLiteral("pw"), []() -> QString {
            throw pz::IoError(QStringLiteral("user/x.psw"), QStringLiteral("damaged"));
        }));
    }
};

QTEST_GUILESS_MAIN(TestPasswordRules)
#include "tst_core_passwordrules.moc"
