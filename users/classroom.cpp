#include "users/classroom.h"

#include "base/classroom.h"
#include "platform/permissions.h"
#include "platform/posixfile.h"
#include "platform/textfile.h"
#include "users/names.h"
#include "users/userstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace classroom {
namespace {
using posixfile::native;

// What a setup made, so that a failure part-way takes back exactly that and nothing else.
struct Made {
    QStringList files, folders;
    void undo() const
    {
        for (const QString &f : files)
            ::unlink(native(f).constData());
        for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
            // A sticky user folder holds the lock's own folder, empty once the lock is let go.
            ::rmdir(native(*it + QStringLiteral("/.lock")).constData());
            ::rmdir(native(*it).constData());
        }
    }
};

// A folder of the classroom: made when missing (with what its folder asks), kept as it is when there.
void makeFolder(const QString &path, Made &made, permissions::Sticky sticky = permissions::Sticky::No)
{
    const int e = permissions::makeFolder(path, sticky);
    if (e == 0) {
        made.folders << path;
        return;
    }
    struct stat st {};
    if (e == EEXIST && ::lstat(native(path).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return;
        throw pz::IoError(path, S_ISLNK(st.st_mode) ? pz::reason::isLink() : pz::reason::notRegular());
    }
    throw pz::IoError::fromErrno(path, e);
}

// Copies one template file to a name that must be free; an existing file or link is left alone.
void copyNew(const QString &from, const QString &to, Made &made)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        const int e = errno;
        throw pz::IoError(from, pz::reasonFor(e ? e : EIO));
    }
    const QByteArray bytes = source.read(textfile::kMaxBytes);

    posixfile::Fd file(::open(native(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    if (file.get() < 0) {
        if (errno == EEXIST)
            return;
        throw pz::IoError::fromErrno(to, errno);
    }
    made.files << to;
    int e = permissions::applyToNew(file.get(), permissions::forNewEntry(to), false);
    if (e == 0)
        e = posixfile::writeSyncClose(file, bytes);
    if (e != 0)
        throw pz::IoError::fromErrno(to, e);
}

// Runs f with the user store working in the classroom dir (absolute), the previous room given back
// after. Errors name files by their full paths: an administrator runs this from anywhere.
template <class F>
auto inClassroom(const QString &dir, F f)
{
    std::optional<pz::IoError> failed;
    {
        const Classroom::Using room{Classroom(dir)};
        try {
            return f();
        } catch (const pz::IoError &e) {
            failed = e;
        }
    }
    throw pz::IoError(failed->path(), failed->reason());
}

bool isFolder(const QString &path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString refusePassword(const QString &password, const QString &what = QStringLiteral("マスターパスワード"))
{
    if (password.isEmpty())
        return QStringLiteral("%1が空です。").arg(what);
    // One the box would not take could never be typed in again.
    if (password.size() > names::kPasswordMaxLength)
        return QStringLiteral("%1が長すぎます（%2文字まで）。何も変えていません。").arg(what).arg(names::kPasswordMaxLength);
    if (const QString refusal = names::checkPassword(password); !refusal.isEmpty())
        return refusal + QStringLiteral("（改行などの制御文字と、Shift_JIS にない文字はつかえません）。何も変えていません。");
    return QString();
}

// The account that is to own user/ and the master password: the one named, else the one running
// this. Only root may name another.
std::optional<uid_t> teacherAccount(const QString &teacher, QString *refusal)
{
    if (teacher.isEmpty())
        return ::geteuid();
    const passwd *pw = ::getpwnam(QFile::encodeName(teacher).constData());
    if (!pw) {
        *refusal = QStringLiteral("先生のアカウント %1 が見つかりません。").arg(teacher);
        return std::nullopt;
    }
    if (pw->pw_uid != ::geteuid() && ::geteuid() != 0) {
        *refusal = QStringLiteral("ほかのアカウント（%1）を先生のアカウントにできるのは root だけです。").arg(teacher);
        return std::nullopt;
    }
    return pw->pw_uid;
}

// Gives what is at path the owner (when it has another) and, in a shared room, the user folder's
// mode: setgid and sticky, so that a pupil's account removes or renames only files it owns.
void handOver(const QString &path, uid_t owner, bool isFolder)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | (isFolder ? O_DIRECTORY : 0));
    if (fd < 0)
        throw pz::IoError::fromErrno(path, errno);
    struct stat st {};
    int e = ::fstat(fd, &st) == 0 ? 0 : errno;
    if (e == 0 && st.st_uid != owner && ::fchown(fd, owner, gid_t(-1)) != 0)
        e = errno;
    if (e == 0 && isFolder) {
        permissions::Rule rule = permissions::forNewEntry(path);
        rule.folderMode |= S_ISVTX;
        e = permissions::applyToNew(fd, rule, true);
    }
    ::close(fd);
    if (e != 0)
        throw pz::IoError::fromErrno(path, e);
}

std::function<void()> &beforeLock()
{
    static std::function<void()> hook;
    return hook;
}

// wav/ is only read by the program: in a shared room it is sticky and the teacher's like user/, its
// sounds the teacher's and not writable by the group, so that no pupil's account removes or spoils
// them. settei/ stays open to the group: every account saves the grades, by a new file renamed over
// the old one (all or nothing), which a sticky folder would allow only the file's owner.
permissions::Sticky stickyFor(const QString &folder)
{
    return folder == QLatin1String("wav") ? permissions::Sticky::Yes : permissions::Sticky::No;
}

void protectSounds(const QString &wav, const QStringList &madeFiles, uid_t owner)
{
    for (const QString &f : madeFiles) {
        if (QFileInfo(f).path() != wav)
            continue;
        handOver(f, owner, false);
        struct stat st {};
        if (::lstat(native(f).constData(), &st) != 0 || ::chmod(native(f).constData(), st.st_mode & 07755 & ~mode_t(S_IWGRP)) != 0)
            throw pz::IoError::fromErrno(f, errno);
    }
}

QString refuseFolder(const QString &dir)
{
    struct stat st {};
    if (dir.isEmpty() || ::stat(native(dir).constData(), &st) != 0)
        return QStringLiteral("教室フォルダが見つかりません: %1").arg(dir);
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("教室フォルダではありません: %1").arg(dir);
    return QString();
}
} // namespace

QStringList templateFiles()
{
    return {QStringLiteral("settei/settei.dat"), QStringLiteral("user/master.psw"), QStringLiteral("wav/a.wav")};
}

bool isShared(const QString &folder) { return permissions::forFolder(folder).shared; }

QString checkSetup(const QString &dir, const QString &templateDir)
{
    if (QString refusal = refuseFolder(dir); !refusal.isEmpty())
        return refusal;
    const QDir root(dir);
    if (QFileInfo(root.filePath(QStringLiteral("settei/settei.dat"))).isFile()
        && isFolder(root.filePath(QStringLiteral("user"))) && isFolder(root.filePath(QStringLiteral("wav"))))
        return QStringLiteral("この教室フォルダはもう用意されています: %1（マスターパスワードを変えるときは --set-master-password）").arg(dir);
    const QDir from(templateDir);
    for (const QString &f : templateFiles())
        if (!QFileInfo(from.filePath(f)).isFile())
            return QStringLiteral("教室フォルダのひな形が見つかりません: %1").arg(from.filePath(f));
    // A folder left half laid out may already hold a master password: it is never replaced here.
    const QString master = root.filePath(QStringLiteral("user/master.psw"));
    if (QFileInfo::exists(master) && !textfile::readFirstLine(master, textfile::Links::Refuse).isEmpty())
        return QStringLiteral("この教室フォルダにはもうマスターパスワードがあります: %1（変えるときは --set-master-password）").arg(master);
    return QString();
}

QString setup(const QString &dir, const QString &templateDir, const QString &password, const QString &teacher)
{
    if (QString refusal = checkSetup(dir, templateDir); !refusal.isEmpty())
        return refusal;
    if (QString refusal = refusePassword(password); !refusal.isEmpty())
        return refusal;
    QString refusal;
    const std::optional<uid_t> owner = teacherAccount(teacher, &refusal);
    if (!owner)
        return refusal;
    // Absolute: the work is done in the classroom, where the folder's lock is found.
    const QDir root(QFileInfo(dir).absoluteFilePath()), from(QFileInfo(templateDir).absoluteFilePath());
    const QString users = root.filePath(QStringLiteral("user"));
    Made made;
    try {
        // user/ first: it holds the folder's lock, through which two set-ups take turns.
        makeFolder(users, made, permissions::Sticky::Yes);
        // The lock's own folder, made by the set-up's account before any lock is taken: one that a
        // pupil's account made would not be used (users/folderlock.cpp).
        if (isShared(root.path()))
            makeFolder(users + QStringLiteral("/.lock"), made);
        refusal = inClassroom(root.path(), [&] {
            if (beforeLock())
                beforeLock()();
            folderlock::FolderLock lock(userstore::folder());
            // Another set-up may have laid the folder out while this one waited: that one stands.
            if (QString late = checkSetup(root.path(), from.path()); !late.isEmpty())
                return late;
            for (const QString &f : templateFiles()) {
                makeFolder(root.filePath(QFileInfo(f).path()), made, stickyFor(QFileInfo(f).path()));
                copyNew(from.filePath(f), root.filePath(f), made);
            }
            userstore::writeMasterPassword(password);
            handOver(userstore::masterPasswordPath(), *owner, false);
            if (isShared(root.path())) {
                handOver(users, *owner, true);
                handOver(root.filePath(QStringLiteral("wav")), *owner, true);
                protectSounds(root.filePath(QStringLiteral("wav")), made.files, *owner);
            }
            return QString();
        });
    } catch (...) {
        made.undo();
        throw;
    }
    if (!refusal.isEmpty())
        made.undo(); // nothing but a user/ folder another set-up has filled meanwhile
    return refusal;
}

QString repair(const QString &dir, const QString &templateDir, QStringList *restored)
{
    if (QString refusal = checkSetMasterPassword(dir); !refusal.isEmpty())
        return refusal;
    const QDir root(QFileInfo(dir).absoluteFilePath()), from(QFileInfo(templateDir).absoluteFilePath());
    const QStringList folders{QStringLiteral("settei"), QStringLiteral("wav")};
    for (const QString &f : folders)
        if (!isFolder(from.filePath(f)))
            return QStringLiteral("教室フォルダのひな形が見つかりません: %1").arg(from.filePath(f));
    Made made; // only to see what was made: nothing made here is taken back, it was missing
    for (const QString &f : folders) {
        const qsizetype before = made.folders.size();
        makeFolder(root.filePath(f), made, stickyFor(f));
        if (made.folders.size() > before)
            *restored << f + QLatin1Char('/');
        for (const QString &name : QDir(from.filePath(f)).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            const qsizetype files = made.files.size();
            copyNew(from.filePath(f + QLatin1Char('/') + name), root.filePath(f + QLatin1Char('/') + name), made);
            if (made.files.size() > files)
                *restored << f + QLatin1Char('/') + name;
        }
    }
    // Sounds brought back are protected as the set-up protects them, by whoever brings them back.
    if (isShared(root.path())) {
        QStringList sounds;
        for (const QString &f : made.files)
            if (QFileInfo(f).path() == root.filePath(QStringLiteral("wav")))
                sounds << f;
        if (made.folders.contains(root.filePath(QStringLiteral("wav"))))
            handOver(root.filePath(QStringLiteral("wav")), ::geteuid(), true);
        protectSounds(root.filePath(QStringLiteral("wav")), sounds, ::geteuid());
    }
    return QString();
}

QString checkSetMasterPassword(const QString &dir)
{
    if (QString refusal = refuseFolder(dir); !refusal.isEmpty())
        return refusal;
    if (!isFolder(QDir(dir).filePath(QStringLiteral("user"))))
        return QStringLiteral("教室フォルダではありません（user フォルダがありません）: %1").arg(dir);
    return QString();
}

QString setMasterPassword(const QString &dir, const QString &password)
{
    if (QString refusal = checkSetMasterPassword(dir); !refusal.isEmpty())
        return refusal;
    if (QString refusal = refusePassword(password); !refusal.isEmpty())
        return refusal;
    // Under the lock the program's creation dialog takes: neither replaces the other's half-way.
    inClassroom(QFileInfo(dir).absoluteFilePath(), [&] {
        folderlock::FolderLock lock(userstore::folder());
        userstore::writeMasterPassword(password);
    });
    return QString();
}

QString setPassword(const QString &dir, const QString &name, const QString &password)
{
    if (QString refusal = checkSetMasterPassword(dir); !refusal.isEmpty())
        return refusal;
    if (QString refusal = refusePassword(password, QStringLiteral("パスワード")); !refusal.isEmpty())
        return refusal;
    return inClassroom(QFileInfo(dir).absoluteFilePath(), [&] {
        const QString refusal = userstore::setPassword(name, password);
        return refusal.isEmpty() ? refusal : refusal + QStringLiteral(" 何も変えていません。");
    });
}

namespace testing {
void setBeforeLock(std::function<void()> hook) { beforeLock() = std::move(hook); }
} // namespace testing

} // namespace classroom
