#include "users/pending.h"

#include "base/classroom.h"
#include "platform/posixfile.h"
#include "platform/textfile.h"
#include "users/names.h"
#include "users/userstore.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringDecoder>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pending {
namespace {
constexpr const char *kMagicV1 = "pikazan-pending 1"; // read still: kept before lines had an identity
constexpr const char *kMagicV2 = "pikazan-pending 2"; // read still: its identity is the files' inode numbers
// Its identity survives a copy of the classroom; a new heading, so that an earlier version sets
// such an entry aside instead of judging it by inode numbers and dropping its line.
constexpr const char *kMagic = "pikazan-pending 3";
constexpr const char *kSuffix = ".line";    // waiting
constexpr const char *kLanding = ".landing"; // taken by a flush, its line being appended
constexpr const char *kDamaged = ".damaged"; // set aside: no line the program could append
constexpr const char *kUnsure = ".unsure";   // set aside: a flush stopped while appending it

using posixfile::Fd;
using posixfile::native;

// What another account may have put here is not replayed (the way OpenSSH judges its own files):
// ours, and writable by nobody else.
bool trusted(const struct stat &st) { return st.st_uid == ::geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH)); }

QString untrustedFolder(const QString &dir)
{
    return QStringLiteral("書き込めずにとっておいた記録のフォルダ %1 は、このアカウントのものでないか、ほかのアカウントも書き込めるため、使いません。")
        .arg(dir);
}

// The folder, made private (0700) with its parents when missing. One we would not trust is refused.
void makeFolder(const QString &path)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) == 0) {
        if (!S_ISDIR(st.st_mode) || !trusted(st))
            throw pz::IoError(path, untrustedFolder(path));
        return;
    }
    const QString parent = QFileInfo(path).path();
    if (parent != path && !QFileInfo(parent).isDir())
        makeFolder(parent);
    if (::mkdir(native(path).constData(), 0700) != 0 && errno != EEXIST)
        throw pz::IoError::fromErrno(path, errno);
}

// Keeping and flushing of this account's lines, one program at a time: two programs of one
// account flushing together would append a line twice.
class Lock {
public:
    explicit Lock(const QString &dir)
    {
        const QString path = QDir(dir).filePath(QStringLiteral(".lock"));
        fd_.reset(::open(native(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd_.get() < 0 && (errno == EROFS || errno == EACCES)) // a folder gone read-only: a flock still holds
            fd_.reset(::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (fd_.get() < 0)
            throw pz::IoError::fromErrno(path, errno);
        while (::flock(fd_.get(), LOCK_EX) != 0)
            if (errno != EINTR)
                break; // a file system without flock: the lock only guards against ourselves
    }
private:
    Fd fd_;
};

// A name that sorts after every earlier one of this account: the time, then a count within it.
QString newName()
{
    static std::atomic<quint32> count{0};
    return QStringLiteral("%1-%2-%3%4")
        .arg(QDateTime::currentMSecsSinceEpoch(), 16, 10, QLatin1Char('0'))
        .arg(count++, 8, 10, QLatin1Char('0'))
        .arg(::getpid())
        .arg(QLatin1String(kSuffix));
}

// What a kept file holds, or why it is no line to append.
struct Parsed {
    Entry entry;
    QString damage; // empty: sound
};

Parsed parse(const QString &path, const QByteArray &bytes)
{
    Parsed p;
    p.entry.file = path;
    // Every field ends with its line end: an entry cut anywhere, even before its last one, is torn.
    QList<QByteArray> lines = bytes.split('\n');
    const bool identified = lines.value(0) == kMagic || lines.value(0) == kMagicV2;
    const qsizetype fields = identified ? 5 : 4;
    if (!identified && lines.value(0) != kMagicV1) {
        p.damage = QStringLiteral("見出しがありません");
        return p;
    }
    if (lines.size() != fields + 1 || !lines.last().isEmpty()) {
        p.damage = QStringLiteral("途中で切れています");
        return p;
    }
    const auto text = [](const QByteArray &b, bool *ok) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString t = utf8.decode(b);
        *ok = *ok && !utf8.hasError();
        return t;
    };
    bool ok = true;
    p.entry.classroom = text(lines[1], &ok);
    p.entry.user = text(lines[2], &ok);
    p.entry.identity = identified ? text(lines[3], &ok) : QString();
    p.entry.line = text(lines[fields - 1], &ok);
    if (!ok)
        p.damage = QStringLiteral("文字が壊れています");
    else if (p.entry.classroom.isEmpty() || QDir::isRelativePath(p.entry.classroom))
        p.damage = QStringLiteral("教室フォルダが書かれていません");
    else if (!names::checkName(p.entry.user).isEmpty() || names::isMaster(p.entry.user))
        p.damage = QStringLiteral("名前が正しくありません");
    else if (p.entry.line.isEmpty() || std::any_of(p.entry.line.begin(), p.entry.line.end(), names::isControl)
             || !textfile::tryEncode(p.entry.line))
        p.damage = QStringLiteral("記録の行が正しくありません");
    return p;
}

// No entry the program writes comes near this: a larger one is not read.
constexpr off_t kLargest = 64 * 1024;

// One of ours (see trusted) that is too large to be an entry: damage, not another account's.
bool ownButTooLarge(const QString &path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && trusted(st) && st.st_size > kLargest;
}

// Opens a kept file without following a link and reads it when it is ours; nothing when it is not
// (another account's, writable by others, no regular file) or cannot be read.
std::optional<QByteArray> readTrusted(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && trusted(st) && st.st_size <= kLargest) {
        QByteArray b(qsizetype(st.st_size), '\0');
        ssize_t n;
        do
            n = ::pread(fd, b.data(), size_t(b.size()), 0);
        while (n < 0 && errno == EINTR);
        if (n == st.st_size)
            bytes = b;
    }
    ::close(fd);
    return bytes;
}

QStringList namesIn(const QString &dir, const char *suffix)
{
    QStringList names = QDir(dir).entryList({QStringLiteral("*") + QLatin1String(suffix)}, QDir::Files | QDir::System);
    std::sort(names.begin(), names.end());
    return names;
}

QString renamed(const QString &path, const char *from, const char *to)
{
    return path.left(path.size() - qsizetype(std::strlen(from))) + QLatin1String(to);
}

bool move(const QString &from, const QString &to) { return ::rename(native(from).constData(), native(to).constData()) == 0; }

bool folderTrusted(const QString &dir)
{
    struct stat st {};
    return ::lstat(native(dir).constData(), &st) == 0 && S_ISDIR(st.st_mode) && trusted(st);
}
} // namespace

QString folder()
{
    // A relative XDG_STATE_HOME is invalid and ignored, as the base directory rules say. Without
    // HOME (a service, a cron job) the account's home comes from the password database.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty()) {
            const passwd *pw = ::getpwuid(::geteuid());
            home = pw && pw->pw_dir ? QFile::decodeName(pw->pw_dir) : QString();
        }
        base = home + QStringLiteral("/.local/state");
    }
    return base + QStringLiteral("/pikazan/pending");
}

QString classroomHere() { return Classroom::inUse().root(); }

QList<Entry> entries()
{
    const QString dir = folder();
    if (!folderTrusted(dir))
        return {};
    QList<Entry> found;
    for (const QString &n : namesIn(dir, kSuffix)) {
        const QString path = QDir(dir).filePath(n);
        if (const auto bytes = readTrusted(path)) {
            const Parsed p = parse(path, *bytes);
            if (p.damage.isEmpty())
                found << p.entry;
        }
    }
    return found;
}

void keep(const QString &classroom, const QString &user, const QString &line, const QString &identity)
{
    const QString dir = folder();
    makeFolder(dir);
    Lock lock(dir);
    const QString name = newName();
    const QString path = QDir(dir).filePath(name);
    const QString temp = QDir(dir).filePath(QStringLiteral(".") + name + QStringLiteral(".tmp"));
    const QByteArray bytes = QByteArray(kMagic) + '\n' + classroom.toUtf8() + '\n' + user.toUtf8() + '\n'
                             + identity.toUtf8() + '\n' + line.toUtf8() + '\n';
    Fd file(::open(native(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.get() < 0)
        throw pz::IoError::fromErrno(temp, errno);
    bool atRename = false;
    if (const int err = posixfile::commitTemporary(file, bytes, native(temp), native(path), AT_FDCWD, &atRename))
        throw pz::IoError::fromErrno(atRename ? path : temp, err);
}

std::optional<Failure> appendOrKeep(const QString &user, const QString &line, const std::function<void()> &append)
{
    try {
        append();
        return std::nullopt;
    } catch (const pz::IoError &failed) {
        try {
            // Which history the line belongs to, taken now: a child deleted and registered again
            // under the same name before the line lands is another child.
            keep(classroomHere(), user, line, userstore::historyIdentity(user));
        } catch (const pz::IoError &notKept) {
            return Failure{pz::IoError(failed.path(), failed.reason() + QStringLiteral("\nこの記録はとっておくこともできませんでした（")
                                                          + notKept.text() + QStringLiteral("）。")),
                           false};
        }
        return Failure{pz::IoError(failed.path(), failed.reason() + QStringLiteral("\nこの記録はとっておき、次に書き込めるときに書き込みます。")),
                       true};
    }
}

Outcome flush(const QString &classroom, const AppendFn &append, const QString &after, qint64 budgetMs)
{
    Outcome out;
    const QString dir = folder();
    if (!QFileInfo::exists(dir))
        return out;
    if (!folderTrusted(dir)) {
        out.ignored << untrustedFolder(dir);
        return out;
    }
    QElapsedTimer spent;
    spent.start();
    Lock lock(dir);
    // A flush holds the lock from taking an entry to removing it: one still taken now was left by a
    // program that stopped part-way, and its line may be in the history already. Never twice: it is
    // set aside for a person to look at.
    for (const QString &n : namesIn(dir, kLanding)) {
        const QString path = QDir(dir).filePath(n);
        const auto bytes = readTrusted(path);
        if (!bytes)
            continue;
        const Parsed p = parse(path, *bytes);
        if (p.entry.classroom == classroom && move(path, renamed(path, kLanding, kUnsure)))
            out.unsure << p.entry.user + QLatin1Char(' ') + p.entry.line;
    }
    int foreign = 0;
    for (const QString &n : namesIn(dir, kSuffix)) {
        if (!after.isEmpty() && n <= after)
            continue;
        if (budgetMs >= 0 && spent.elapsed() >= budgetMs) {
            out.finished = false;
            break;
        }
        out.after = n;
        const QString path = QDir(dir).filePath(n);
        const auto bytes = readTrusted(path);
        if (!bytes && ownButTooLarge(path)) {
            if (const QString aside = renamed(path, kSuffix, kDamaged); move(path, aside))
                out.setAside << QStringLiteral("%1（%2）").arg(QFileInfo(aside).fileName(), QStringLiteral("大きすぎます"));
            continue;
        }
        if (!bytes) {
            ++foreign;
            continue;
        }
        const Parsed p = parse(path, *bytes);
        if (!p.damage.isEmpty()) {
            if (const QString aside = renamed(path, kSuffix, kDamaged); move(path, aside))
                out.setAside << QStringLiteral("%1（%2）").arg(QFileInfo(aside).fileName(), p.damage);
            continue;
        }
        const Entry &e = p.entry;
        if (e.classroom != classroom)
            continue;
        // Taken before its line is appended, and given back only if the append fails: whatever
        // fails after the append, the line is not appended again. One that cannot be taken (a
        // folder gone read-only) waits, without holding back the others.
        const QString landing = renamed(path, kSuffix, kLanding);
        if (!move(path, landing))
            continue;
        bool appended = false;
        try {
            appended = append(e.user, e.line, e.identity);
        } catch (const pz::IoError &err) {
            move(landing, path);
            out.stopped = err;
            break; // nothing overtakes a line that has to wait
        } catch (const pz::Error &err) {
            if (const QString aside = renamed(path, kSuffix, kDamaged); move(landing, aside))
                out.setAside << QStringLiteral("%1（%2）").arg(QFileInfo(aside).fileName(), err.text());
            continue;
        }
        ::unlink(native(landing).constData());
        if (appended)
            ++out.appended;
        else
            out.dropped << e.user + QLatin1Char(' ') + e.line;
    }
    if (foreign > 0)
        out.ignored << QStringLiteral("書き込めずにとっておいた記録のうち %1 件は、このアカウントのものでないか、ほかのアカウントも書き込めるため、使いません（%2）。")
                           .arg(foreign)
                           .arg(dir);
    return out;
}

QString droppedMessage(const Outcome &outcome)
{
    QStringList parts;
    if (!outcome.dropped.isEmpty())
        parts << QStringLiteral("書き込めずにとっておいた記録のうち、削除されたユーザーのものは捨てました:\n")
                     + outcome.dropped.join(QLatin1Char('\n'));
    if (!outcome.unsure.isEmpty())
        parts << QStringLiteral("書き込みの途中で止まった記録があります。二度書かないよう、書き込まずに脇に置きました（もう書かれているかもしれません）:\n")
                     + outcome.unsure.join(QLatin1Char('\n'));
    if (!outcome.setAside.isEmpty())
        parts << QStringLiteral("書き込めずにとっておいた記録のうち、こわれているものは書き込まずに脇に置きました（%1）:\n").arg(folder())
                     + outcome.setAside.join(QLatin1Char('\n'));
    parts << outcome.ignored;
    return parts.join(QStringLiteral("\n\n"));
}

namespace {
bool appendHere(const QString &user, const QString &line, const QString &identity)
{
    return userstore::appendDrillIfRegistered(user, line, identity);
}

// The outcome of one bounded batch, never an exception: a flush that cannot even start (its lock)
// waits for the next one, silently like a line that cannot be written.
Outcome batch(const QString &after, qint64 budgetMs)
{
    try {
        return flush(classroomHere(), appendHere, after, budgetMs);
    } catch (const pz::Error &) {
        return Outcome{};
    }
}

void merge(Outcome &into, const Outcome &o)
{
    into.appended += o.appended;
    into.dropped << o.dropped;
    into.unsure << o.unsure;
    into.setAside << o.setAside;
    for (const QString &w : o.ignored)
        if (!into.ignored.contains(w))
            into.ignored << w;
}

struct Steps {
    bool running = false;
    bool again = false;
    Outcome sum;
    std::function<void(const QString &)> done;
};
Steps &steps()
{
    static Steps s;
    return s;
}

void step(const QString &after)
{
    Steps &s = steps();
    const Outcome o = batch(after, kBatchMs);
    merge(s.sum, o);
    if (!o.finished) {
        QTimer::singleShot(0, [next = o.after] { step(next); });
        return;
    }
    if (s.again) { // kept meanwhile, perhaps before where this pass had come
        s.again = false;
        QTimer::singleShot(0, [] { step(QString()); });
        return;
    }
    s.running = false;
    const QString message = droppedMessage(s.sum);
    s.sum = Outcome{};
    if (!message.isEmpty() && s.done)
        s.done(message);
}
} // namespace

QString flushHere()
{
    return droppedMessage(batch(QString(), kBatchMs * 2));
}

void flushHereInSteps(std::function<void(const QString &message)> done)
{
    Steps &s = steps();
    s.done = std::move(done);
    if (s.running) {
        s.again = true;
        return;
    }
    s.running = true;
    step(QString());
}

} // namespace pending
