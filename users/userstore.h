#pragma once
// The user folder: per user a history file (name.dat) and a password file (name.psw), and the
// master password file. Every screen that touches users goes through here.
//
// The set of users is exactly the set of "*.dat" files in the folder, in the order the folder
// listing gives them. Files are cp932 text with CR LF line ends; file names on disk are UTF-8.
// File failures throw pz::IoError; wrong input is answered with a refusal text instead.
#include "base/errors.h"
#include "users/folderlock.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace userstore {
// Paths in the room in use (Classroom::inUse()); empty when no room is.
QString folder();                 // ROOM/user
QString masterPasswordPath();     // ROOM/user/master.psw
QString recordPath(const QString &name);   // ROOM/user/<name>.dat
QString passwordPath(const QString &name); // ROOM/user/<name>.psw
QString pacePath(const QString &name);     // ROOM/user/<name>.pace

// Line 1 of every history file.
QString recordHeader(); // "級/段,日付,正解数,不正解数,合否"
// Line 1 of every pace file: 日時,級/段,間隔ms, then per question its lateness and span error, 判定.
QString paceHeader();

// --- refusals: the Japanese text to warn the user with, or an empty string when all is well ---
// (the rules for a name and a password alone: users/names.h)

// Everything registration checks before it writes: empty fields, the name, the password, and a
// name already in use.
QString checkRegistration(const QString &name, const QString &password);

// Whether a user of this name exists, counting names that differ only in letter case (they are
// one file on a case-insensitive file system).
bool isTaken(const QString &name);
// The registered user that name would be, or an empty string when it is free.
QString userTaking(const QString &name);

// --- test seams (the folder's lock and its timing: users/folderlock.h) ---

namespace testing {
// Called at named steps while the lock is held ("registering": the name was found free and nothing
// is written yet; "appending": the history file is about to be written), so that a test can force
// the interleaving of two programs.
void setHook(std::function<void(const char *step)> hook);
} // namespace testing

// --- operations ---

// The users' names in folder order (no sorting). "master" never counts as a user.
QStringList listUsers();

// Registers a user: creates the user folder when missing, then name.dat holding the header and
// name.psw holding the password. Returns the refusal text (nothing written) or an empty string;
// a file failure throws, and a half-made registration is removed first.
QString createUser(const QString &name, const QString &password);

// Gives a registered user a new password: name.psw is replaced whole (through a temporary and a
// rename, under the folder's lock), keeping its mode, group and owner; the history and the pace file
// are not touched. Returns the refusal (nothing written): a name the store could not have made, a
// password registration would refuse, a user who is not registered (name.dat and name.psw must both
// be regular files). A file failure throws and leaves the old password in place.
QString setPassword(const QString &name, const QString &password);
// The refusal for a name no registered child has.
QString notRegistered(const QString &name);

// Registers several users (name, password) as one change, under one turn of the folder's lock:
// either all of them or none. Returns the first refusal of checkRegistration() (also for a name
// registered meanwhile, or one given twice), with nothing written; a file failure removes every
// file this call made and throws.
QString createUsers(const QList<QPair<QString, QString>> &users);

// Line 1 of the user's password file.
QString readPassword(const QString &name);
// Whether a typed password equals the stored one byte for byte in cp932. Text that cp932 cannot
// hold never matches.
bool passwordMatches(const QString &stored, const QString &typed);

// Appends one drill line to the user's history file; the file must exist (never created here).
void appendDrill(const QString &name, const QString &line);
// The same, for a line written long after its drill: only while the user is still registered (both
// name.dat and name.psw are regular files in the folder), judged under the lock. Returns whether
// the line was appended; a user that is gone is no error.
// With an identity (historyIdentity), only while the history is still that one: a child deleted and
// registered again under the name is another child.
bool appendDrillIfRegistered(const QString &name, const QString &line, const QString &identity = QString());
// What tells this registration's history apart from a later one under the same name, and survives
// a copy, a restore, a remount or another computer: the history's length and a digest of its start
// with the password file's content. Identities of earlier versions (device and inode numbers) are
// still understood. Empty when the files cannot be read.
QString historyIdentity(const QString &name);
// All lines of the user's history file, header included, in file order.
QStringList readHistory(const QString &name);

// Appends a drill's pace line (drill/pace.h) to the user's pace file, under the lock, creating the
// file with its header when the user has none yet; only while the user is registered (name.dat is a
// regular file). It waits at most a second for the lock. The pace file is no record: a failure
// throws like any other, and the caller lets it go rather than stop a drill for it.
void appendPace(const QString &name, const QString &line);
// All lines of the user's pace file, header included; none when there is no pace file.
QStringList readPace(const QString &name);

// What deleting a user came to. The user exists as long as name.dat does: when it stays, nothing is
// deleted and the user is kept; when only name.psw stays, the user is gone all the same and the
// error names the file left behind, for the caller to report once its own steps are done.
struct DeleteResult {
    enum class Outcome { Deleted, PasswordFileLeft, PaceFileLeft, Kept };
    Outcome outcome = Outcome::Deleted;
    std::optional<pz::IoError> error; // why, for every outcome but Deleted (none with a refusal)
    // Kept because this account may not remove the user's files (another account's, in a sticky
    // user folder): the text to show, with nothing touched.
    QString refusal;
    bool userGone() const { return outcome != Outcome::Kept; }
};

// Deletes a user: name.dat, then name.psw, then name.pace; a file that is already gone is passed over.
// When the system would refuse to remove any of them, none is removed (Kept with a refusal). A name
// names::checkName() refuses (a path, a device, the master password file) is Kept with nothing
// touched. Only the folder lock's own failure throws, as in every operation here, before anything
// is deleted.
DeleteResult deleteUser(const QString &name);

// --- the master password ---

// Line 1 of the master password file; empty while none is set (an empty file or an empty line 1).
// With IfMissing::NotSet a missing file counts as an empty one, so that a classroom folder copied
// without it still reaches the dialog that creates it; with IfMissing::Fail it is an IoError. A
// link in the file's place, or a line 1 that is no cp932 text (NULs, bytes that are no character,
// control characters), is an IoError naming the file: it never reads as "not set".
enum class IfMissing { NotSet, Fail };
QString readMasterPassword(IfMissing missing = IfMissing::NotSet);
// Replaces the master password file with this one line, through a temporary and a rename: a failed
// write leaves the old file as it was (an emptied file would let anyone choose a new password). A
// link or a write-protected file in its place is refused, as for reading. The file is a password
// file (textfile::rewriteSecret). The caller holds the folder's lock.
void writeMasterPassword(const QString &password);
// The first master password: written under the folder's lock, and only while none is set at that
// moment. Returns false, with nothing written, when one was set meanwhile.
bool createMasterPassword(const QString &password);
} // namespace userstore
