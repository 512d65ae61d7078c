#pragma once
// Who may use what the program creates in a classroom folder. The folder decides, never the
// account's umask: a computer room shares one folder among many accounts, each with its own umask,
// and a file one account made 0644 would take the others' drills away.
//
// A folder is shared when it is group-writable or setgid. Then every file made in it is readable
// and writable by the folder's group (0660, plus read for others when the folder lets others read),
// every folder made in it is 02770 likewise (setgid, so that what is made inside carries the group
// too), and both carry the folder's group. A private folder (the per-user default, 0700 or 0755)
// keeps what the umask gives, as any program's files do.
//
// Password files are the exception: never readable by others, never writable by the group. In a
// shared folder the group may read them (every pupil's account checks a password), only their owner
// writes them (0640); in a private folder they are the owner's alone (0600). The user folder of a
// shared room is sticky as well, so that a pupil's account cannot remove or rename away a file it
// does not own (the master password above all); its owner, the teacher's account, still can.
#include <QString>

#include <sys/types.h>

namespace permissions {

// What a folder asks of the files and folders made in it.
struct Rule {
    bool shared = false;
    gid_t group = gid_t(-1); // the folder's group, when shared
    mode_t fileMode = 0;     // when shared
    mode_t folderMode = 0;   // when shared
};

// The mode of a password file in a folder of this rule (0640 shared, 0600 private).
mode_t secretMode(const Rule &rule);

// The rule of this folder, from its stat (links followed: the folder may be a mount point's link).
// A folder that cannot be looked at gives the private rule: creating anything in it fails anyway.
Rule forFolder(const QString &folder);
// The rule for a new entry at path: that of the folder holding it.
Rule forNewEntry(const QString &path);

// Gives a file or folder this call's program has just created, open on fd, what the rule asks:
// first the group, then the mode (a change of group may clear the setgid bit that the mode then
// sets). Nothing is done for a private rule. Returns 0, or the errno of the step that failed.
//
// An account outside the folder's group cannot give a file that group (EPERM). That is passed over:
// in a setgid folder the file has the group already, and otherwise the file keeps this account's
// group with the group's rights; the accounts that then cannot write it are told so by the start-up
// check when they start, instead of one child's registration failing here.
int applyToNew(int fd, const Rule &rule, bool isFolder);

// Makes a folder at path (a no-op returning EEXIST when something has the name) and gives it the
// rule of the folder holding it. Returns 0 or an errno; a folder it made and could not set up is
// removed again.
// Sticky::Yes also sets the sticky bit on a shared folder (the user folder).
enum class Sticky { No, Yes };
int makeFolder(const QString &path, Sticky sticky = Sticky::No);

// Gives a password file this call's program has just written, open on fd, its mode (secretMode of
// the folder holding path) and, in a shared folder, the folder's group. Returns 0 or an errno.
int applySecret(int fd, const QString &path);

// Whether the system lets this account remove the file at path: in a sticky folder only the file's
// owner, the folder's owner and root may. A file that is not there may be "removed".
bool mayRemove(const QString &path);

} // namespace permissions
