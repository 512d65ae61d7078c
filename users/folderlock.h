#pragma once
// The classroom folder's lock, user/.pikazan.lock.
//
// A classroom folder may be shared by many accounts and computers (NFS, SMB), where appending is
// not atomic between them. Registrations, appends and deletions on one folder take turns through
// this lock file. It is held for milliseconds; its small text names the program holding it (pid,
// program, host, machine and boot), so that a lock left by a program that died can be taken over
// by any account that may write the folder: at once on the same computer when that program no
// longer runs, and after a while from another computer, its age judged by the share's own clock.
// Anything at the lock's path but a regular file is no lock: it is moved aside beside the lock,
// under a name that tells whose it was, said once on the standard error, and the work goes on.
#include <QString>

namespace folderlock {

// The lock of the user folder given ("user"): "user/.pikazan.lock"; in a sticky user folder
// "user/.lock/.pikazan.lock" when user/.lock is the teacher's or root's, else ".pikazan.lock" in the
// classroom folder when that is the group's and not sticky (a pupil's account cannot keep anything
// there that the others cannot move aside).
QString lockPath(const QString &userFolder);

// What the teacher should remove: a note naming what another account has put at user/.lock of a
// sticky user folder, which the lock therefore does without; empty when nothing is in the way.
QString strangerNote(const QString &userFolder);

// Holds the lock while it lives. Throws IoError (reason::busy()) when another program keeps it
// longer than a child should wait, and IoError naming the lock when what is at its path cannot be
// moved aside or a stale lock cannot be removed. Where the lock cannot be made at all (a folder
// we may not write), nobody else can make it either, and the work goes on without it.
class FolderLock {
public:
    // waitMs: the longest this holder waits, when shorter than the child's wait (for what may be
    // given up rather than keep a child waiting twice); -1 for the child's wait.
    explicit FolderLock(const QString &userFolder, int waitMs = -1);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    QString path_; // the lock's
    int fd_ = -1;  // the lock file this program made, kept open so that it is known for ours
    bool atOnce_ = false; // taken at the first try: nobody waits, a look at the leftovers costs nobody
};

namespace testing {
// How long to wait for the lock, and the age after which another computer's lock counts as
// abandoned. Defaults: 12 s and 15 s.
void setLockTiming(int waitMs, int staleMs);
} // namespace testing

} // namespace folderlock
