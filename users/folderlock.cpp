#include "users/folderlock.h"

#include "base/classroom.h"
#include "base/errors.h"
#include "platform/permissions.h"
#include "platform/posixfile.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace folderlock {

namespace {
// The account's name when it is a plain one, else its number.
QByteArray ownerName(uid_t uid)
{
    const passwd *pw = ::getpwuid(uid);
    const QByteArray name = pw && pw->pw_name ? QByteArray(pw->pw_name) : QByteArray();
    const bool plain = !name.isEmpty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
    });
    return plain ? name : "uid" + QByteArray::number(qint64(uid));
}

// In a sticky user folder (a shared room's) nobody may remove or rename another account's file, so
// a lock left there by a program that died could never be taken over: every child would be refused
// until the teacher came. There the lock and its temporaries live in a folder of their own,
// user/.lock/, which is not sticky: the group may take over what it finds in it. The set-up makes
// it. A pupil's account could make it first, though, and then close it or leave a file there that
// no other account can move; so it counts only when it is the user folder owner's (the teacher's)
// or root's. Otherwise the lock lives in the classroom folder itself when that is the group's and
// not sticky: whatever a pupil leaves there, the others can move aside. Every program of the room
// judges the same folders the same way, so all of them take turns on one lock.
bool ownedBy(const struct stat &st, uid_t owner) { return st.st_uid == 0 || st.st_uid == owner; }

bool openToGroup(const struct stat &st, gid_t group)
{
    return S_ISDIR(st.st_mode) && !(st.st_mode & S_ISVTX) && (st.st_mode & S_IRWXG) == S_IRWXG && st.st_gid == group;
}

const char *kindOf(mode_t mode)
{
    return S_ISDIR(mode) ? "フォルダ" : S_ISLNK(mode) ? "リンク" : S_ISREG(mode) ? "ファイル" : "ファイルでないもの";
}

// Where the lock of a sticky user folder lives, when the room decides it: user/.lock, or the
// classroom folder (then with a note naming what lies at user/.lock, if anything); empty when
// neither will do.
struct Place {
    QString folder;
    QString note;
};
Place placeFor(const QString &user, const struct stat &userSt)
{
    const QString own = user + QStringLiteral("/.lock");
    struct stat found {};
    const bool there = ::lstat(QFile::encodeName(own).constData(), &found) == 0;
    if (there && S_ISDIR(found.st_mode) && ownedBy(found, userSt.st_uid))
        return {own, QString()};
    const QString room = QFileInfo(QDir::cleanPath(user)).path();
    struct stat roomSt {};
    if (::stat(QFile::encodeName(room).constData(), &roomSt) != 0 || !openToGroup(roomSt, userSt.st_gid))
        return {};
    if (!there)
        return {room, QString()};
    const Classroom &inUse = Classroom::inUse();
    return {room, QStringLiteral("%1 は %2 の%3で、教室のロックには使えません（先生のアカウントか root のもの"
                                 "でないと、ほかのアカウントの保存を止められるため）。ロックは教室フォルダの %4 でとります。"
                                 "%1 は先生のアカウントか root で消してください。")
                      .arg(inUse.shown(own), QString::fromUtf8(ownerName(found.st_uid)), QString::fromUtf8(kindOf(found.st_mode)),
                           QStringLiteral(".pikazan.lock"))};
}

QString lockFolder(const QString &user)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(user).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || !(st.st_mode & S_ISVTX))
        return user;
    if (const Place place = placeFor(user, st); !place.folder.isEmpty()) {
        static bool said = false;
        if (!place.note.isEmpty() && !said) {
            said = true;
            std::fprintf(stderr, "%s\n", place.note.toLocal8Bit().constData());
        }
        return place.folder;
    }
    const QString own = user + QStringLiteral("/.lock");
    struct stat found {};
    // No folder of the group's that a pupil cannot close: as before, made by the first program
    // that needs it.
    [[maybe_unused]] const int err = permissions::makeFolder(own, permissions::Sticky::No);
    // Never through a link: anything but a folder at that name is damage, named.
    if (::lstat(QFile::encodeName(own).constData(), &found) != 0)
        throw pz::IoError::fromErrno(own, errno);
    if (S_ISLNK(found.st_mode))
        throw pz::IoError(own, pz::reason::isLink());
    if (!S_ISDIR(found.st_mode))
        throw pz::IoError::fromErrno(own, ENOTDIR);
    return own;
}
} // namespace

QString lockPath(const QString &userFolder) { return lockFolder(userFolder) + QStringLiteral("/.pikazan.lock"); }

QString strangerNote(const QString &userFolder)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(userFolder).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || !(st.st_mode & S_ISVTX))
        return QString();
    return placeFor(userFolder, st).note;
}

namespace {
// A child waits this long at most. The holder needs milliseconds, but a whole class finishing a
// drill at once queues up thirty programs behind one another on a slow share.
int lockWaitMs = 12000;
// Another computer's lock older than this (by the share's clock) was left by a program that died.
int lockStaleMs = 15000;
// The pause between tries: random, so that thirty waiting programs do not wake together, and
// growing from the first to the longest, so that a long queue does not hammer the share.
constexpr int kFirstPauseMs = 4;
constexpr int kLongestPauseMs = 200;

using posixfile::Fd;
using posixfile::native;

bool writeAll(int fd, const QByteArray &bytes) { return posixfile::writeAll(fd, bytes, 0) == 0; }

QByteArray readSmall(int fd)
{
    char buf[1024];
    ssize_t n;
    do
        n = ::pread(fd, buf, sizeof buf, 0);
    while (n < 0 && errno == EINTR);
    return n > 0 ? QByteArray(buf, int(n)) : QByteArray();
}

// The name the kernel shows for a process (at most 15 bytes).
QByteArray processName(const QByteArray &pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
    return comm.open(QIODevice::ReadOnly) ? comm.readAll().trimmed() : QByteArray();
}

QByteArray ownProgram()
{
    const QByteArray name = processName("self");
    return name.isEmpty() ? QByteArray("pikazan") : name;
}

// This computer's host name, machine id and boot id, read once: each is a file to read, and a
// program waiting for the lock judges the holder's stamp at every try.
struct Computer {
    QByteArray host, machine, boot;
};
const Computer &thisComputer()
{
    static const Computer c{QSysInfo::machineHostName().toUtf8(), QSysInfo::machineUniqueId(), QSysInfo::bootUniqueId()};
    return c;
}

// What the lock says about its holder, one item a line (the layout QLockFile uses too, so that a
// lock of either kind is read by both): pid, program, host, machine id, boot id.
QByteArray ownStamp()
{
    const Computer &c = thisComputer();
    return QByteArray::number(qint64(::getpid())) + '\n' + ownProgram() + '\n' + c.host + '\n' + c.machine + '\n' + c.boot + '\n';
}

// Whether a lock's holder ran on this very computer since its last start. A cloned room may
// repeat host names and machine ids; the boot id tells its computers apart, and a computer that
// was restarted since is another one as far as its old programs go.
bool sameComputer(const QList<QByteArray> &stamp)
{
    const auto agrees = [](const QByteArray &theirs, const QByteArray &ours) {
        return theirs.isEmpty() || ours.isEmpty() || theirs == ours;
    };
    const Computer &c = thisComputer();
    const QByteArray host = stamp.value(2);
    return !host.isEmpty() && host == c.host && agrees(stamp.value(3), c.machine) && agrees(stamp.value(4), c.boot);
}

// Whether the program a lock of this computer names still runs. Another account's process
// answers EPERM, which means it runs too. A pid given to another program since is not the holder.
bool stillRuns(qint64 pid, const QByteArray &program)
{
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    const QByteArray name = processName(QByteArray::number(pid));
    return name.isEmpty() || program.isEmpty() || name == program.left(15);
}

qint64 msBetween(const timespec &from, const timespec &to)
{
    return (qint64(to.tv_sec) - qint64(from.tv_sec)) * 1000 + (qint64(to.tv_nsec) - qint64(from.tv_nsec)) / 1000000;
}

// A program killed on its way to the lock leaves its own file (user/.pikazan.lock.XXXXXX, or one
// with ".stale" after it) for ever. The first lock of a run that was taken at once removes, once let
// go, those that name this computer and a program no longer running, judged as a stale lock is;
// another computer's, an empty one and anything else stay. Never while a class is queueing: a look
// at every file of the folder, by each of thirty programs, would hold up the others.
void sweepLeftovers(const QString &lockFolder)
{
    static bool swept = false;
    if (swept)
        return;
    swept = true;
    const QByteArray dir = native(lockFolder);
    DIR *d = ::opendir(dir.constData());
    if (!d)
        return;
    const QByteArray prefix = ".pikazan.lock.";
    while (const dirent *e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (!name.startsWith(prefix) || name.size() == prefix.size() || name.startsWith(".pikazan.lock.aside-"))
            continue; // what was moved aside is for a person to look at
        const QByteArray path = dir + '/' + name;
        const Fd file(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat st {}, there {};
        if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const QList<QByteArray> stamp = readSmall(file.get()).split('\n');
        bool known = false;
        const qint64 pid = stamp.value(0).toLongLong(&known);
        if (!known || pid <= 0 || pid > INT_MAX || pid == ::getpid() || !sameComputer(stamp) || stillRuns(pid, stamp.value(1)))
            continue;
        if (::lstat(path.constData(), &there) == 0 && there.st_dev == st.st_dev && there.st_ino == st.st_ino)
            ::unlink(path.constData());
    }
    ::closedir(d);
}

enum class Try { Held, Busy, Again, Unlockable };

// One program's way to the lock: its own file in the folder, written whole before it is linked
// to the lock's name (so that nobody ever reads a half-written lock), and the share's clock: the
// time stamp the share gives that file when it is written.
class Taker {
public:
    Taker(const QString &userFolder, const QString &lockPath)
        : user_(userFolder), path_(lockPath), lock_(native(path_)), stamp_(ownStamp())
    {
    }
    ~Taker()
    {
        if (held_ != fd_ && fd_ >= 0)
            ::close(fd_);
        if (!temp_.isEmpty())
            ::unlink(temp_.constData());
    }
    Taker(const Taker &) = delete;
    Taker &operator=(const Taker &) = delete;

    // False when nothing can be created in the folder (missing, not ours to write, full).
    bool prepare()
    {
        QByteArray name = lock_ + ".XXXXXX";
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ < 0)
            return false;
        temp_ = name;
        fitToFolder(fd_);
        return writeAll(fd_, stamp_);
    }

    Try attempt()
    {
        const int err = ::link(temp_.constData(), lock_.constData()) == 0 ? 0 : errno;
        if (err == 0 || linkedAnyway()) {
            ::unlink(temp_.constData());
            temp_.clear();
            held_ = fd_;
            return Try::Held;
        }
        if (err == EEXIST)
            return judge();
        if (err == EPERM || err == EOPNOTSUPP || err == ENOSYS || err == EMLINK)
            return createInPlace();
        return Try::Unlockable;
    }

    // The lock's descriptor, from now on the caller's.
    int release()
    {
        const int fd = held_;
        if (fd_ == held_)
            fd_ = -1;
        held_ = -1;
        return fd;
    }

private:
    // Others of a shared folder read who holds the lock: it gets what the folder asks of every
    // file made in it. A lock they cannot read only looks foreign to them, so a failure is no error.
    void fitToFolder(int fd) const
    {
        [[maybe_unused]] const int err = permissions::applyToNew(fd, permissions::forFolder(user_), false);
    }

    // Over NFS a link whose answer was lost may have been made all the same.
    bool linkedAnyway() const
    {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && st.st_nlink == 2;
    }

    // A folder without hard links (FAT): the lock is created exclusively in place. A reader may
    // then meet it still empty, which only makes it look foreign and fresh for a moment.
    Try createInPlace()
    {
        const int fd = ::open(lock_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd < 0)
            return errno == EEXIST ? judge() : Try::Unlockable;
        fitToFolder(fd);
        if (!writeAll(fd, stamp_)) {
            ::unlink(lock_.constData());
            ::close(fd);
            return Try::Unlockable;
        }
        held_ = fd;
        return Try::Held;
    }

    // The share's present time: the stamp our own file gets when it is written again.
    bool shareNow(timespec *now) const
    {
        struct stat st {};
        if (!writeAll(fd_, stamp_) || ::fstat(fd_, &st) != 0)
            return false;
        *now = st.st_mtim;
        return true;
    }

    // Somebody's lock is in the way: wait for it, take it over when its holder is gone, or report
    // what lies at its path when it is no lock at all.
    Try judge()
    {
        // Pinned without opening it for reading or writing: a FIFO is not waited on, a device is
        // not touched, and the file looked at stays the one that is removed below.
        const Fd pin(::open(lock_.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (pin.get() < 0) {
            if (errno == ENOENT)
                return Try::Again;
            throw pz::IoError::fromErrno(path_, errno);
        }
        struct stat st {};
        if (::fstat(pin.get(), &st) != 0)
            throw pz::IoError::fromErrno(path_, errno);
        if (!S_ISREG(st.st_mode))
            return moveAside(st);

        QByteArray text;
        if (const Fd readable(::open(QByteArray("/proc/self/fd/" + QByteArray::number(pin.get())).constData(),
                                     O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
            readable.get() >= 0)
            text = readSmall(readable.get());
        const QList<QByteArray> stamp = text.split('\n');
        bool known = false;
        const qint64 pid = stamp.value(0).toLongLong(&known);
        bool stale;
        if (known && pid > 0 && pid <= INT_MAX && sameComputer(stamp)) {
            stale = !stillRuns(pid, stamp.value(1));
        } else {
            // Never against this computer's clock: the share's and ours may be hours apart.
            timespec now {};
            stale = shareNow(&now) && msBetween(st.st_mtim, now) > lockStaleMs;
        }
        return stale ? removeStale(st) : Try::Busy;
    }

    // Anything but a file at the lock's name (a folder, a link, a FIFO, a device) is no lock, and any
    // account of the room could have put it there: it is moved aside under a name that tells whose
    // it is, said once, and the lock is taken. Never followed or opened: what a link leads to and
    // what lies in a folder stay as they are.
    Try moveAside(const struct stat &found)
    {
        const QByteArray owner = ownerName(found.st_uid);
        const QByteArray aside = lock_ + ".aside-" + owner + '-' + temp_.mid(lock_.size() + 1);
        if (::renameat2(AT_FDCWD, lock_.constData(), AT_FDCWD, aside.constData(), RENAME_NOREPLACE) != 0) {
            if (errno == ENOENT)
                return Try::Again;
            throw pz::IoError::fromErrno(path_, errno);
        }
        struct stat moved {};
        if (::lstat(aside.constData(), &moved) == 0 && (moved.st_dev != found.st_dev || moved.st_ino != found.st_ino)) {
            // Replaced by a live lock in the meantime: it goes back, and is waited for.
            if (::link(aside.constData(), lock_.constData()) != 0 && errno != EEXIST)
                ::renameat2(AT_FDCWD, aside.constData(), AT_FDCWD, lock_.constData(), RENAME_NOREPLACE);
            ::unlink(aside.constData());
            return Try::Busy;
        }
        const char *kind = S_ISDIR(found.st_mode) ? "フォルダ" : S_ISLNK(found.st_mode) ? "リンク" : "ファイルでないもの";
        const QString said = QStringLiteral("ロックの場所 %1 に%2（%3 のもの）があったので、%4 に移しました。")
                                 .arg(path_, QString::fromUtf8(kind), QString::fromUtf8(owner), QFile::decodeName(aside));
        std::fprintf(stderr, "%s\n", said.toLocal8Bit().constData());
        return Try::Again;
    }

    // Moves the stale lock aside under a name of our own, and removes it only when it is still
    // the very file judged stale: another program may have replaced it by its own live lock in
    // the meantime, which then goes back in place.
    Try removeStale(const struct stat &judged)
    {
        const QByteArray aside = temp_ + ".stale";
        if (::rename(lock_.constData(), aside.constData()) != 0) {
            if (errno == ENOENT)
                return Try::Again;
            // A folder with the sticky bit keeps other accounts' files: a person must remove it.
            throw pz::IoError::fromErrno(path_, errno);
        }
        struct stat moved {};
        if (::lstat(aside.constData(), &moved) == 0 && moved.st_dev == judged.st_dev && moved.st_ino == judged.st_ino) {
            ::unlink(aside.constData());
            return Try::Again;
        }
        if (::link(aside.constData(), lock_.constData()) != 0 && errno != EEXIST)
            ::renameat2(AT_FDCWD, aside.constData(), AT_FDCWD, lock_.constData(), RENAME_NOREPLACE);
        ::unlink(aside.constData());
        return Try::Busy;
    }

    QString user_;
    QString path_;
    QByteArray lock_;
    QByteArray stamp_;
    QByteArray temp_;
    int fd_ = -1;
    int held_ = -1;
};
} // namespace

namespace testing {
void setLockTiming(int waitMs, int staleMs)
{
    lockWaitMs = waitMs;
    lockStaleMs = staleMs;
}
} // namespace testing

FolderLock::FolderLock(const QString &userFolder, int waitMs) : path_(lockPath(userFolder))
{
    const int limitMs = waitMs >= 0 ? std::min(waitMs, lockWaitMs) : lockWaitMs;
    Taker taker(userFolder, path_);
    // A folder that is missing or that we may not write: nobody can hold its lock, and the work
    // itself will give the real reason.
    if (!taker.prepare())
        return;
    QElapsedTimer waited;
    waited.start();
    int pause = kFirstPauseMs;
    for (;;) {
        const Try result = taker.attempt();
        if (result == Try::Held) {
            fd_ = taker.release();
            atOnce_ = pause == kFirstPauseMs; // no pause: nobody held it
            return;
        }
        if (result == Try::Unlockable)
            return;
        const qint64 left = limitMs - waited.elapsed();
        if (left <= 0)
            throw pz::IoError(path_, pz::reason::busy());
        if (result == Try::Again) // the lock has just gone: try again at once
            continue;
        const int ms = QRandomGenerator::global()->bounded(pause / 2, pause + 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<qint64>(left, std::max(ms, 1))));
        pause = std::min(pause * 2, kLongestPauseMs);
    }
}

FolderLock::~FolderLock()
{
    if (fd_ < 0)
        return;
    // Only our own lock is removed: the file at the path must still be the one we made.
    struct stat mine {}, there {};
    const QByteArray path = native(path_);
    if (::fstat(fd_, &mine) == 0 && ::lstat(path.constData(), &there) == 0 && mine.st_dev == there.st_dev && mine.st_ino == there.st_ino)
        ::unlink(path.constData());
    ::close(fd_);
    if (atOnce_)
        sweepLeftovers(QFileInfo(path_).path());
}

} // namespace folderlock
