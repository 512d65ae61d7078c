#include "platform/permissions.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace permissions {

Rule forFolder(const QString &folder)
{
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    if (!(st.st_mode & (S_IWGRP | S_ISGID)))
        return {};
    // Others may read what they could read in the folder itself, and never write.
    const mode_t othersRead = st.st_mode & S_IROTH;
    const mode_t othersEnter = st.st_mode & (S_IROTH | S_IXOTH);
    return {true, st.st_gid, mode_t(0660 | othersRead), mode_t(02770 | othersEnter)};
}

Rule forNewEntry(const QString &path) { return forFolder(QFileInfo(path).path()); }

mode_t secretMode(const Rule &rule) { return rule.shared ? 0640 : 0600; }

int applyToNew(int fd, const Rule &rule, bool isFolder)
{
    if (!rule.shared)
        return 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (st.st_gid != rule.group && ::fchown(fd, uid_t(-1), rule.group) != 0 && errno != EPERM)
        return errno;
    const mode_t want = isFolder ? rule.folderMode : rule.fileMode;
    if ((st.st_mode & 07777) == want)
        return 0;
    if (::fchmod(fd, want) == 0)
        return 0;
    const int err = errno;
    // Some shares fix the modes themselves (a CIFS mount's file_mode) and refuse the change: what
    // counts is that the group may read and write.
    if (::fstat(fd, &st) == 0 && (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP))
        return 0;
    return err;
}

int makeFolder(const QString &path, Sticky sticky)
{
    const QByteArray native = QFile::encodeName(path);
    Rule rule = forNewEntry(path);
    if (sticky == Sticky::Yes)
        rule.folderMode |= S_ISVTX;
    // Sticky from the start: the lock's place in the folder depends on it, so that no program may
    // see it without (users/folderlock.cpp).
    if (::mkdir(native.constData(), rule.shared ? 0777 | (rule.folderMode & S_ISVTX) : 0777) != 0)
        return errno;
    if (!rule.shared)
        return 0;
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int err = fd < 0 ? errno : applyToNew(fd, rule, true);
    if (fd >= 0)
        ::close(fd);
    if (err)
        ::rmdir(native.constData()); // made above and still empty
    return err;
}

int applySecret(int fd, const QString &path)
{
    const Rule rule = forNewEntry(path);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    // The group must read it to check a password: without the folder's group the file would be
    // nobody's but ours, which is safe, so a refused change of group is passed over.
    if (rule.shared && st.st_gid != rule.group && ::fchown(fd, uid_t(-1), rule.group) != 0 && errno != EPERM)
        return errno;
    const mode_t want = secretMode(rule);
    if ((st.st_mode & 07777) == want || ::fchmod(fd, want) == 0)
        return 0;
    const int err = errno;
    // A share that fixes the modes itself (a CIFS mount's file_mode) decides for every file alike.
    return err == EPERM ? 0 : err;
}

bool mayRemove(const QString &path)
{
    struct stat file {}, dir {};
    if (::lstat(QFile::encodeName(path).constData(), &file) != 0)
        return errno == ENOENT;
    if (::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &dir) != 0)
        return false;
    if (!(dir.st_mode & S_ISVTX))
        return true;
    const uid_t me = ::geteuid();
    return me == 0 || me == file.st_uid || me == dir.st_uid;
}

} // namespace permissions
