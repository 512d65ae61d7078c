#include "users/pending.h"

#include "users/userstore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pending {
namespace {
constexpr const char *kMagic = "pikazan-pending 1";
constexpr const char *kSuffix = ".line";

QByteArray native(const QString &path) { return QFile::encodeName(path); }

// The folder, made private (0700) with its parents when missing.
void makeFolder(const QString &path)
{
    if (QFileInfo(path).isDir())
        return;
    const QString parent = QFileInfo(path).path();
    if (parent != path)
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
        fd_ = ::open(native(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0)
            throw pz::IoError::fromErrno(path, errno);
        while (::flock(fd_, LOCK_EX) != 0)
            if (errno != EINTR)
                break; // a file system without flock: the lock only guards against ourselves
    }
    ~Lock() { ::close(fd_); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
private:
    int fd_ = -1;
};

// 0, or the errno of the write that failed.
int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            return errno;
    }
    return 0;
}

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

std::optional<Entry> readEntry(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = f.read(64 * 1024).split('\n');
    if (lines.size() < 4 || lines[0] != kMagic)
        return std::nullopt;
    return Entry{path, QString::fromUtf8(lines[1]), QString::fromUtf8(lines[2]), QString::fromUtf8(lines[3])};
}

QList<Entry> entriesIn(const QString &dir)
{
    QStringList names = QDir(dir).entryList({QStringLiteral("*") + QLatin1String(kSuffix)}, QDir::Files);
    std::sort(names.begin(), names.end());
    QList<Entry> found;
    for (const QString &n : names)
        if (const auto e = readEntry(QDir(dir).filePath(n)))
            found << *e;
    return found;
}
} // namespace

QString folder()
{
    // A relative XDG_STATE_HOME is invalid and ignored, as the base directory rules say.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/pikazan/pending");
}

QString classroomHere()
{
    const QString canonical = QDir::current().canonicalPath();
    return canonical.isEmpty() ? QDir::current().absolutePath() : canonical;
}

QList<Entry> entries()
{
    const QString dir = folder();
    if (!QFileInfo(dir).isDir())
        return {};
    return entriesIn(dir);
}

void keep(const QString &classroom, const QString &user, const QString &line)
{
    const QString dir = folder();
    makeFolder(dir);
    Lock lock(dir);
    const QString name = newName();
    const QString path = QDir(dir).filePath(name);
    const QString temp = QDir(dir).filePath(QStringLiteral(".") + name + QStringLiteral(".tmp"));
    const QByteArray bytes = QByteArray(kMagic) + '\n' + classroom.toUtf8() + '\n' + user.toUtf8() + '\n'
                             + line.toUtf8() + '\n';
    const int fd = ::open(native(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw pz::IoError::fromErrno(temp, errno);
    int err = writeAll(fd, bytes);
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        ::unlink(native(temp).constData());
        throw pz::IoError::fromErrno(temp, err);
    }
    if (::rename(native(temp).constData(), native(path).constData()) != 0) {
        err = errno;
        ::unlink(native(temp).constData());
        throw pz::IoError::fromErrno(path, err);
    }
    const int dirFd = ::open(native(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

std::optional<Failure> appendOrKeep(const QString &user, const QString &line, const std::function<void()> &append)
{
    try {
        append();
        return std::nullopt;
    } catch (const pz::IoError &failed) {
        try {
            keep(classroomHere(), user, line);
        } catch (const pz::IoError &notKept) {
            return Failure{pz::IoError(failed.path(), failed.reason() + QStringLiteral("\nこの記録はとっておくこともできませんでした（")
                                                          + notKept.text() + QStringLiteral("）。")),
                           false};
        }
        return Failure{pz::IoError(failed.path(), failed.reason() + QStringLiteral("\nこの記録はとっておき、次に書き込めるときに書き込みます。")),
                       true};
    }
}

Outcome flush(const QString &classroom, const AppendFn &append)
{
    Outcome out;
    const QString dir = folder();
    if (!QFileInfo(dir).isDir())
        return out;
    Lock lock(dir);
    for (const Entry &e : entriesIn(dir)) {
        if (e.classroom != classroom)
            continue;
        bool appended = false;
        try {
            appended = append(e.user, e.line);
        } catch (const pz::IoError &err) {
            out.stopped = err;
            break;
        } catch (const pz::Error &err) {
            out.stopped = pz::IoError(e.file, err.text());
            break;
        }
        // The line is in the history file now (or its user is gone). A crash before this unlink
        // appends it once more at the next start: twice rather than never.
        if (::unlink(native(e.file).constData()) != 0 && errno != ENOENT) {
            out.stopped = pz::IoError::fromErrno(e.file, errno);
            break;
        }
        if (appended)
            ++out.appended;
        else
            out.dropped << e.user + QLatin1Char(' ') + e.line;
    }
    return out;
}

QString droppedMessage(const Outcome &outcome)
{
    if (outcome.dropped.isEmpty())
        return QString();
    return QStringLiteral("書き込めずにとっておいた記録のうち、削除されたユーザーのものは捨てました:\n")
           + outcome.dropped.join(QLatin1Char('\n'));
}

QString flushHere()
{
    return droppedMessage(flush(classroomHere(), [](const QString &user, const QString &line) {
        return userstore::appendDrillIfRegistered(user, line);
    }));
}

} // namespace pending
