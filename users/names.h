#pragma once
// What a user's name and password may be: the rules registration, login and the master password
// dialogs refuse input by. Each check gives the Japanese text to warn the user with, or an empty
// string when all is well. No file is touched here (users/userstore.h is the store).
#include <QChar>
#include <QString>

namespace names {

// Whether a name can become the stem of the user's two files here and on any system the classroom
// folder moves to (Windows or Linux). Blanks anywhere are allowed and kept as typed.
QString checkName(const QString &name);
// Whether a password can be stored as line 1 of a cp932 file and read back the same.
QString checkPassword(const QString &password);
// The most characters (UTF-16 units) a master password box takes: Qt's own limit for a line edit,
// set on both boxes by name so that a password set from the command line can always be typed.
constexpr int kPasswordMaxLength = 32767;
// The refusal for a name or a password left empty.
QString emptyFields();

// "master" in any letter case: its password file would be the master password file.
bool isMaster(const QString &name);
// A character no stored name or password holds (line ends, NUL, and the other C0/C1 controls).
bool isControl(QChar c);

} // namespace names
