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
int makeFolder(const QString &path);

} // namespace permissions
