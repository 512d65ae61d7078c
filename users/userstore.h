#pragma once
// The user folder: per user a history file (name.dat) and a password file (name.psw), and the
// master password file. Every screen that touches users goes through here.
#include <QString>
#include <QStringList>

namespace userstore {
QString folder();                 // "user"
QString masterPasswordPath();     // "user/master.psw"
QString recordPath(const QString &name);   // "user/<name>.dat"
QString passwordPath(const QString &name); // "user/<name>.psw"
} // namespace userstore
