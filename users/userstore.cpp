#include "users/userstore.h"

#include "base/classroom.h"
#include "base/errors.h"
#include "base/grade.h"
#include "platform/permissions.h"
#include "platform/textfile.h"
#include "users/names.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace userstore {
QString folder() { return Classroom::inUse().user(); }
// With no room in use every path is empty, never one under "/".
QString masterPasswordPath() { return Classroom::inUse().path(QStringLiteral("user/master.psw")); }
QString recordPath(const QString &name) { return Classroom::inUse().path(QStringLiteral("user/") + name + QStringLiteral(".dat")); }
QString passwordPath(const QString &name) { return Classroom::inUse().path(QStringLiteral("user/") + name + QStringLiteral(".psw")); }
QString pacePath(const QString &name) { return Classroom::inUse().path(QStringLiteral("user/") + name + QStringLiteral(".pace")); }

QString paceHeader()
{
    QStringList fields{QStringLiteral("日時"), QStringLiteral("級/段"), QStringLiteral("間隔ms")};
    for (int k = 1; k <= kQuestions; ++k)
        fields << QStringLiteral("%1問目おくれms").arg(k) << QStringLiteral("%1問目ずれms").arg(k);
    fields << QStringLiteral("判定");
    return fields.join(QLatin1Char(','));
}

QString recordHeader() { return QStringLiteral("級/段,日付,正解数,不正解数,合否"); }

namespace {
using names::isControl;
using names::isMaster;
} // namespace

QString checkRegistration(const QString &name, const QString &password)
{
    if (name.isEmpty() || password.isEmpty())
        return names::emptyFields();
    QString refusal = names::checkName(name);
    if (refusal.isEmpty())
        refusal = names::checkPassword(password);
    if (refusal.isEmpty()) {
        if (const QString user = userTaking(name); !user.isEmpty())
            refusal = QStringLiteral("「%1」というなまえはもうつかわれています。\nほかのなまえにしてください").arg(user);
    }
    return refusal;
}

QString userTaking(const QString &name)
{
    if (QFileInfo::exists(recordPath(name)))
        return name;
    // "taro " beside "taro" would look like the same row; "TARO" is the same file on a
    // case-insensitive file system. Blanks inside a name do tell names apart.
    const QString key = name.trimmed();
    const QStringList users = listUsers();
    for (const QString &u : users)
        if (u.trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return u;
    return QString();
}

bool isTaken(const QString &name) { return !userTaking(name).isEmpty(); }

QStringList listUsers()
{
    QStringList users;
    // The file system's own order; hidden files count too. Only names ending in ".dat" exactly,
    // so that every listed user's history is found at recordPath(), and only regular files: a link
    // would lead out of the folder, a FIFO or device is no history.
    QDirIterator it(folder(), {QStringLiteral("*.dat")}, QDir::Files | QDir::Hidden | QDir::CaseSensitive | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        QString name = it.fileName();
        name.chop(4);
        // "master" would have the master password file as its password file.
        if (!name.isEmpty() && !isMaster(name))
            users << name;
    }
    return users;
}

namespace {
std::function<void(const char *)> &hook()
{
    static std::function<void(const char *)> h;
    return h;
}
void step(const char *name)
{
    if (hook())
        hook()(name);
}

// The user files are only ever the user folder's own regular files.
constexpr textfile::Links kOwnFiles = textfile::Links::Refuse;
} // namespace

namespace testing {
void setHook(std::function<void(const char *)> h) { hook() = std::move(h); }
} // namespace testing

QString createUser(const QString &name, const QString &password)
{
    QString refusal = checkRegistration(name, password);
    if (!refusal.isEmpty())
        return refusal;
    if (const int err = permissions::makeFolder(folder(), permissions::Sticky::Yes); err && err != EEXIST)
        throw pz::IoError::fromErrno(folder(), err);

    // Checked again under the lock: another computer may have registered the name meanwhile.
    folderlock::FolderLock lock(folder());
    refusal = checkRegistration(name, password);
    if (!refusal.isEmpty())
        return refusal;
    step("registering");

    // The history file first, created exclusively: it makes the user exist, and an existing
    // user's history is never overwritten. If its creation fails, whatever has the name is not
    // ours (createNew removes a file of its own that it could not fill).
    const QString record = recordPath(name);
    textfile::createNew(record, {recordHeader()});
    try {
        // Replaces a password file left behind by an earlier failed deletion, but never writes
        // through a link to a file elsewhere.
        textfile::rewriteSecret(passwordPath(name), {password});
    } catch (const pz::Error &) {
        QFile::remove(record); // created above by this call
        throw;
    }
    return QString();
}

QString notRegistered(const QString &name) { return QStringLiteral("「%1」という名前の人は登録されていません。").arg(name); }

namespace {
bool isRegularFile(const QString &path);
} // namespace

QString setPassword(const QString &name, const QString &password)
{
    // Whatever the name came from, it must be one the store could have made: no path, no device.
    if (QString refusal = names::checkName(name); !refusal.isEmpty())
        return refusal;
    if (QString refusal = names::checkPassword(password); !refusal.isEmpty())
        return refusal;
    folderlock::FolderLock lock(folder());
    // Judged under the lock: a child deleted meanwhile gets no password file of a user who is gone.
    if (!isRegularFile(recordPath(name)) || !isRegularFile(passwordPath(name)))
        return notRegistered(name);
    step("resetting");
    // The file as it is (mode, group, owner), so that the child's account still reads it in a
    // shared room; never through a link.
    textfile::rewrite(passwordPath(name), {password}, kOwnFiles);
    return QString();
}

QString createUsers(const QList<QPair<QString, QString>> &users)
{
    const auto refuse = [&]() -> QString {
        QStringList seen;
        for (const auto &[name, password] : users) {
            if (QString refusal = checkRegistration(name, password); !refusal.isEmpty())
                return refusal;
            // Two of one run that would be one file on a case-insensitive file system.
            for (const QString &s : std::as_const(seen))
                if (s.trimmed().compare(name.trimmed(), Qt::CaseInsensitive) == 0)
                    return QStringLiteral("「%1」というなまえはもうつかわれています。\nほかのなまえにしてください").arg(s);
            seen << name;
        }
        return QString();
    };
    if (QString refusal = refuse(); !refusal.isEmpty())
        return refusal;
    if (const int err = permissions::makeFolder(folder(), permissions::Sticky::Yes); err && err != EEXIST)
        throw pz::IoError::fromErrno(folder(), err);
    folderlock::FolderLock lock(folder());
    if (QString refusal = refuse(); !refusal.isEmpty())
        return refusal;
    step("registering");
    QStringList made; // this call's files, taken back on a failure
    try {
        for (const auto &[name, password] : users) {
            textfile::createNew(recordPath(name), {recordHeader()});
            made << recordPath(name);
            textfile::rewriteSecret(passwordPath(name), {password});
            made << passwordPath(name);
        }
    } catch (const pz::Error &) {
        for (const QString &path : std::as_const(made))
            QFile::remove(path);
        throw;
    }
    return QString();
}

QString readPassword(const QString &name)
{
    const QString path = passwordPath(name);
    const QString password = textfile::readFirstLine(path, kOwnFiles);
    // Registration never stores an empty password (an empty line would let an empty typing in), one
    // with a control character, nor a byte that is no cp932 character (read as U+FFFD): each is
    // damage to report, not a password that can never match.
    const auto notStored = [](QChar c) { return isControl(c) || c == textfile::kNoCharacter; };
    if (password.isEmpty() || std::any_of(password.begin(), password.end(), notStored))
        throw pz::IoError(path, pz::reason::damaged());
    return password;
}

bool passwordMatches(const QString &stored, const QString &typed)
{
    const std::optional<QByteArray> bytes = textfile::tryEncode(typed);
    return bytes && bytes == textfile::tryEncode(stored);
}

void appendDrill(const QString &name, const QString &line)
{
    folderlock::FolderLock lock(folder());
    step("appending");
    textfile::appendLine(recordPath(name), line, kOwnFiles);
}

namespace {
// Nothing at all has the name (a link, even a dangling one, is something).
bool isMissing(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) != 0 && errno == ENOENT;
}

bool isRegularFile(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}
} // namespace

namespace {
// The device and inode numbers of the files, as lines kept by earlier versions recorded them. They
// change with a copy, a restore or a remount, so only entries of those versions are judged by them.
QString inodeIdentity(const QString &name)
{
    struct stat dat {}, psw {};
    if (::lstat(QFile::encodeName(recordPath(name)).constData(), &dat) != 0
        || ::lstat(QFile::encodeName(passwordPath(name)).constData(), &psw) != 0)
        return QString();
    return QStringLiteral("%1:%2/%3:%4.%5")
        .arg(quint64(dat.st_dev))
        .arg(quint64(dat.st_ino))
        .arg(quint64(psw.st_ino))
        .arg(qint64(psw.st_mtim.tv_sec))
        .arg(qint64(psw.st_mtim.tv_nsec), 9, 10, QLatin1Char('0'));
}

constexpr QLatin1String kContentIdentity("sha256 ");
// How much of the history's start goes into its identity: enough to hold its first lines' dates.
constexpr qint64 kIdentityBytes = 64 * 1024;

// Up to max bytes from the start of a regular file (never through a link), and its size; nothing
// when it cannot be read.
std::optional<QByteArray> readStart(const QString &path, qint64 max, qint64 *size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QByteArray b(qsizetype(std::min<qint64>(st.st_size, max)), '\0');
        qsizetype got = 0;
        while (got < b.size()) {
            const ssize_t n = ::pread(fd, b.data() + got, size_t(b.size() - got), got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        if (got == b.size()) {
            bytes = b;
            *size = qint64(st.st_size);
        }
    }
    ::close(fd);
    return bytes;
}

// The digest of the history's first `length` bytes (at most kIdentityBytes) and the password file.
QString contentDigest(const QString &name, qint64 length, qint64 *size)
{
    qint64 pswSize = 0;
    const auto history = readStart(recordPath(name), std::min(length, kIdentityBytes), size);
    const auto password = readStart(passwordPath(name), 4096, &pswSize);
    if (!history || !password)
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray(QByteArray::number(history->size()) + '\n'));
    hash.addData(*history);
    hash.addData(*password);
    return QString::fromLatin1(hash.result().toHex());
}
bool isSameHistory(const QString &name, const QString &identity)
{
    if (!identity.startsWith(kContentIdentity))
        return inodeIdentity(name) == identity;
    const QStringList parts = identity.mid(kContentIdentity.size()).split(QLatin1Char(' '));
    bool ok = false;
    const qint64 length = parts.value(0).toLongLong(&ok);
    if (parts.size() != 2 || !ok || length < 0)
        return false;
    qint64 size = 0;
    const QString digest = contentDigest(name, length, &size);
    return !digest.isEmpty() && size >= length && digest == parts[1];
}
} // namespace

QString historyIdentity(const QString &name)
{
    qint64 size = 0;
    const QString digest = contentDigest(name, kIdentityBytes, &size);
    if (digest.isEmpty())
        return QString();
    // A history only grows: while it is this one, its first `size` bytes stay what was hashed.
    return kContentIdentity + QString::number(size) + QLatin1Char(' ') + digest;
}

bool appendDrillIfRegistered(const QString &name, const QString &line, const QString &identity)
{
    folderlock::FolderLock lock(folder());
    if (!isRegularFile(recordPath(name)) || !isRegularFile(passwordPath(name)))
        return false;
    if (!identity.isEmpty() && !isSameHistory(name, identity))
        return false;
    step("appending");
    textfile::appendLine(recordPath(name), line, kOwnFiles);
    return true;
}

QStringList readHistory(const QString &name) { return textfile::readLines(recordPath(name), -1, kOwnFiles); }

void appendPace(const QString &name, const QString &line)
{
    // The history line has just waited its turn; in a room where the whole class finishes together
    // the pace line is given up after a second rather than hold the sheet for a second turn.
    folderlock::FolderLock lock(folder(), 1000);
    if (!isRegularFile(recordPath(name)))
        return; // deleted meanwhile: no pace file for a user who is gone
    const QString path = pacePath(name);
    if (isMissing(path))
        textfile::createNew(path, {paceHeader(), line});
    else
        textfile::appendLine(path, line, kOwnFiles);
}

QStringList readPace(const QString &name)
{
    const QString path = pacePath(name);
    if (isMissing(path))
        return {};
    return textfile::readLines(path, -1, kOwnFiles);
}

namespace {
// Removes one of the user's files (a link in its place too, never what it points to). Returns 0
// when the file is gone, also when it already was, or else the system's error number.
int removeUserFile(const QString &path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return 0;
    return errno;
}
} // namespace

DeleteResult deleteUser(const QString &name)
{
    using Outcome = DeleteResult::Outcome;
    // Whatever the name came from, it must be one the store could have made: no path, no device,
    // never the master password file.
    if (const QString refusal = names::checkName(name); !refusal.isEmpty())
        return {Outcome::Kept, pz::IoError(recordPath(name), refusal), QString()};
    folderlock::FolderLock lock(folder());
    // In a sticky user folder only a file's owner (or the folder's, the teacher's account) may
    // remove it: asked before the first file goes, so that a user is never half deleted.
    const QString refusal = QStringLiteral("「%1」のファイルには、ほかのアカウントが作ったものがあるので、このアカウントでは削除できません。\n"
                                           "先生のアカウントで削除して下さい。").arg(name);
    for (const QString &path : {recordPath(name), passwordPath(name), pacePath(name)})
        if (!permissions::mayRemove(path))
            return {Outcome::Kept, std::nullopt, refusal};
    if (const int err = removeUserFile(recordPath(name)))
        return {Outcome::Kept, pz::IoError::fromErrno(recordPath(name), err), err == EPERM ? refusal : QString()};
    if (const int err = removeUserFile(passwordPath(name)))
        return {Outcome::PasswordFileLeft,
                pz::IoError(passwordPath(name),
                            pz::reasonFor(err) + QStringLiteral("\nユーザーは削除しましたが、このパスワードのファイルが残っています。")),
                QString()};
    if (const int err = removeUserFile(pacePath(name)))
        return {Outcome::PaceFileLeft,
                pz::IoError(pacePath(name),
                            pz::reasonFor(err) + QStringLiteral("\nユーザーは削除しましたが、このペースのファイルが残っています。")),
                QString()};
    return {};
}

QString readMasterPassword(IfMissing missing)
{
    const QString path = masterPasswordPath();
    if (missing == IfMissing::NotSet && isMissing(path))
        return QString();
    const QByteArray line = textfile::readFirstLineBytes(path);
    const QString password = textfile::decode(line);
    // Only the creation dialog writes this file, and it stores no control character. NULs (a torn
    // write), bytes that are no character (read as U+001A or U+FFFD) or any other control character
    // are damage: read as "not set", they would let an empty entry into the teacher's screens.
    const auto odd = [](QChar c) { return isControl(c) || c == QChar::ReplacementCharacter; };
    const auto oddByte = [](char b) { return uchar(b) < 0x20 || b == 0x7f; };
    if (std::any_of(password.begin(), password.end(), odd) || std::any_of(line.begin(), line.end(), oddByte))
        throw pz::IoError(path, pz::reason::damaged());
    return password;
}

void writeMasterPassword(const QString &password) { textfile::rewriteSecret(masterPasswordPath(), {password}); }

bool createMasterPassword(const QString &password)
{
    // Under the lock that --set-master-password takes too: a password set there meanwhile is
    // never replaced from here.
    folderlock::FolderLock lock(folder());
    if (!readMasterPassword().isEmpty())
        return false;
    writeMasterPassword(password);
    return true;
}
} // namespace userstore
