#pragma once
// The administrator's two steps on a classroom folder, run from the command line without a display:
// laying out a new (usually shared) classroom with its master password, and replacing the master
// password of an existing one for a teacher who forgot it.
//
// What is made here follows the program's one rule for shared folders (platform/permissions.h): in
// a group-writable or setgid folder (rwxrws--- or rwxrwsr-x) settei/ and wav/ become setgid and
// group-writable and their files group-writable, all of the folder's group, so that every account
// of the group can register, append and save the grades. user/ is sticky as well (rwxrws--T) and
// belongs to the teacher's account, and so does the master password (rw-r-----): a pupil's account
// can neither rewrite it nor remove it, nor remove another account's files. wav/ is sticky and the
// teacher's as well, its sounds the teacher's and not group-writable (the program only reads them). In a private folder the
// account's umask decides, as for any other file, but for the master password (rw-------).
//
// Wrong input (a missing folder, one already laid out, a password the program could not store) is
// answered with a Japanese refusal text; file failures throw pz::IoError naming the file.
#include "base/errors.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace classroom {

// The files a classroom holds from the start, relative to the classroom (and to the template).
QStringList templateFiles(); // settei/settei.dat, user/master.psw, wav/a.wav

// Whether a folder's mode shares it with its group (group-writable or setgid).
bool isShared(const QString &folder);

// Lays out a new classroom in the existing folder dir: settei/, user/ and wav/, the template's files
// copied from templateDir (nothing that exists is overwritten), then the master password. user/ and
// the master password are given to the account named teacher (only root may name another; empty:
// the account running this). Refuses with nothing written: a dir that does not exist, one already
// laid out (settei/settei.dat, user/ and wav/ all there), one whose master password is already set,
// a password the master password boxes would not take, an unknown teacher's account, a template that
// lacks a file. Two set-ups on one folder at once take turns: the second is refused as laid out.
QString setup(const QString &dir, const QString &templateDir, const QString &password, const QString &teacher = QString());
// The refusals of setup() that do not depend on the password, for asking before it is typed.
QString checkSetup(const QString &dir, const QString &templateDir);

// Replaces line 1 of dir's user/master.psw, all or nothing, under the folder's lock. Refuses a dir
// without a user/ folder and a password the master password boxes would not take (too long, or
// what checkPassword() refuses). The file keeps its owner (when run as root) and gets the password
// mode: readable by the group of a shared user/ folder, by nobody else.
QString setMasterPassword(const QString &dir, const QString &password);
QString checkSetMasterPassword(const QString &dir);

// Gives the child `name` of dir's classroom a new password, for a teacher whose pupil forgot it:
// the refusals of setMasterPassword() for the folder and the password, then userstore::setPassword()'s
// (a child who is not registered, a name that is no child's). The history is not touched.
QString setPassword(const QString &dir, const QString &name, const QString &password);

namespace testing {
// Called in setup() between its first look at the folder and its taking the folder's lock, so that
// a test can let another set-up win that gap. Empty: nothing.
void setBeforeLock(std::function<void()> hook);
} // namespace testing

// Brings back what is missing of dir's settei/ and wav/ (the folders and their files) from
// templateDir, with what the room's folders ask: nothing that is there is replaced (not even a link
// or a damaged file), and user/ is never touched. restored gets what was made, relative to dir, in
// the order made. Refuses a dir without a user/ folder (no classroom) and a template that lacks
// those folders; file failures throw IoError naming the file (what was made stays: it was missing).
QString repair(const QString &dir, const QString &templateDir, QStringList *restored);

} // namespace classroom
