#pragma once
// The administrator's two steps on a classroom folder, run from the command line without a display:
// laying out a new (usually shared) classroom with its master password, and replacing the master
// password of an existing one for a teacher who forgot it.
//
// What is made here follows the program's one rule for shared folders (platform/permissions.h): in
// a group-writable or setgid folder (rwxrwsr-x, say) the folders become rwxrwsr-x and the files
// rw-rw-r--, all of the folder's group, so that every account of the group can register, append
// and delete. In a private folder the account's umask decides, as for any other file.
//
// Wrong input (a missing folder, one already laid out, a password the program could not store) is
// answered with a Japanese refusal text; file failures throw pz::IoError naming the file.
#include "base/errors.h"

#include <QString>
#include <QStringList>

namespace classroom {

// The files a classroom holds from the start, relative to the classroom (and to the template).
QStringList templateFiles(); // settei/settei.dat, user/master.psw, wav/a.wav

// Whether a folder's mode shares it with its group (group-writable or setgid).
bool isShared(const QString &folder);

// Lays out a new classroom in the existing folder dir: settei/, user/ and wav/, the template's files
// copied from templateDir (nothing that exists is overwritten), then the master password. Refuses
// with nothing written: a dir that does not exist, one already laid out (settei/settei.dat, user/
// and wav/ all there), one whose master password is already set, a password checkPassword() refuses,
// a template that lacks a file.
QString setup(const QString &dir, const QString &templateDir, const QString &password);
// The refusals of setup() that do not depend on the password, for asking before it is typed.
QString checkSetup(const QString &dir, const QString &templateDir);

// Replaces line 1 of dir's user/master.psw, all or nothing. Refuses a dir without a user/ folder and
// a password checkPassword() refuses. In a shared user/ folder the file is left readable and
// writable by that folder's group.
QString setMasterPassword(const QString &dir, const QString &password);
QString checkSetMasterPassword(const QString &dir);

} // namespace classroom
