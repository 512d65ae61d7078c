#pragma once
// What a typed password opens: the rules the login, the deletion and the teacher's door go by. The
// stored passwords come in as values (read by the caller, users/userstore.h); nothing is read here,
// except the child's password at login, which is read only when the typing is one a password can be.
#include <QString>
#include <functional>

namespace passwordrules {

// The answer to a password that opens nothing: "パスワードが違います".
QString wrongPassword();

// Whether the master password `master` lets this typing delete a child's records. While none is set
// (empty) nothing typed does, not even nothing.
bool mayDelete(const QString &master, const QString &typed);

// Whether this typing opens the teacher's side, given the master password.
enum class Teacher {
    NotSet, // none is set: the menu asks for one first, whatever was typed
    Opens,
    Wrong,
};
Teacher teacherDoor(const QString &master, const QString &typed);

// A child's login with this typing. A typing no password can be (names::checkPassword) is refused
// with that rule's text and the password file is not read; else `stored` gives line 1 of the child's
// password file (it may throw IoError) and the typing must match it.
struct Login {
    enum class Outcome { LoggedIn, Refused, Wrong };
    Outcome outcome = Outcome::Wrong;
    QString refusal; // for Refused
};
Login login(const QString &typed, const std::function<QString()> &stored);

} // namespace passwordrules
