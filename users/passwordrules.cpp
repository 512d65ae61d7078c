#include "users/passwordrules.h"

#include "users/names.h"
#include "users/userstore.h"

namespace passwordrules {

QString wrongPassword() { return QStringLiteral("パスワードが違います"); }

bool mayDelete(const QString &master, const QString &typed)
{
    return !master.isEmpty() && userstore::passwordMatches(master, typed);
}

Teacher teacherDoor(const QString &master, const QString &typed)
{
    if (master.isEmpty())
        return Teacher::NotSet;
    return userstore::passwordMatches(master, typed) ? Teacher::Opens : Teacher::Wrong;
}

Login login(const QString &typed, const std::function<QString()> &stored)
{
    // An empty typing is no refusal: it is compared, and no stored password is empty.
    if (!typed.isEmpty())
        if (QString refusal = names::checkPassword(typed); !refusal.isEmpty())
            return {Login::Outcome::Refused, refusal};
    return {userstore::passwordMatches(stored(), typed) ? Login::Outcome::LoggedIn : Login::Outcome::Wrong, {}};
}

} // namespace passwordrules
