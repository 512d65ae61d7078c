#include "platform/textfile.h"
#include "platform/errors.h"
#include "platform/permissions.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textfile {

namespace {
constexpr const char *kCodec = "windows-31j";

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines) {
        out += encode(l);
        out += "\r\n";
    }
    return out;
}

QByteArray nativePath(const QString &path) { return QFile::encodeName(path); }

// Closes the descriptor however the function leaves.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd &operator=(Fd &&other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    void reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    // Closes now and tells whether the close succeeded: on a network share a write error may
    // only show here.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fd_;
};

// Opens without blocking (a FIFO would wait for a writer) and never through a link; -1 and errno
// on failure.
Fd openFile(const QString &path, int flags, Links)
{
    flags |= O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW;
    int fd;
    do
        fd = ::open(nativePath(path).constData(), flags);
    while (fd < 0 && errno == EINTR);
    return Fd(fd);
}

// Accepts only a regular file, and sets it back to blocking: reads and writes of a regular file
// must not return early.
void requireRegular(const QString &path, const Fd &file)
{
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        throw pz::IoError::fromErrno(path, errno);
    if (S_ISDIR(st.st_mode))
        throw pz::IoError::fromErrno(path, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw pz::IoError(path, pz::reason::notRegular());
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
}

Fd openRegular(const QString &path, int flags, Links links)
{
    Fd file = openFile(path, flags, links);
    // A FIFO without a reader answers a non-blocking open for writing with ENXIO; a link refused
    // by O_NOFOLLOW answers ELOOP.
    if (file.get() < 0)
        throw pz::IoError::fromErrno(path, errno);
    requireRegular(path, file);
    return file;
}

// Writes all of bytes or returns the errno of the write that fell short.
int writeAll(int fd, const char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        done += n;
    }
    return 0;
}

testing::Syscalls &syscalls()
{
    static testing::Syscalls calls;
    return calls;
}

int callFdatasync(int fd) { return syscalls().fdatasync ? syscalls().fdatasync(fd) : ::fdatasync(fd); }
int callFsync(int fd) { return syscalls().fsync ? syscalls().fsync(fd) : ::fsync(fd); }
int callRename(const char *from, const char *to) { return syscalls().rename ? syscalls().rename(from, to) : ::rename(from, to); }

int syncData(int fd)
{
    while (callFdatasync(fd) != 0) {
        if (errno == EINTR)
            continue;
        // Some file systems cannot sync a file at all; that is not a failed write.
        return (errno == EINVAL || errno == EROFS) ? 0 : errno;
    }
    return 0;
}

// Makes the rename itself last. Best effort: the new file is in place either way, and a folder
// that cannot be synced (some network shares) is no reason to call the save failed.
void syncFolder(const QString &folder)
{
    Fd dir(::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        callFsync(dir.get());
}

// Gives the new file the old one's group (and owner, as root). Returns 0, or the errno when the
// group cannot be kept and the group had rights that everyone else lacks: the file would then be
// taken from the accounts that share it.
int keepOwnership(int fd, const struct stat &old)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return errno;
    const uid_t owner = ::geteuid() == 0 ? old.st_uid : uid_t(-1);
    if (now.st_gid == old.st_gid && (owner == uid_t(-1) || now.st_uid == owner))
        return 0;
    if (::fchown(fd, owner, old.st_gid) == 0)
        return 0;
    const mode_t group = (old.st_mode >> 3) & 7, others = old.st_mode & 7;
    return (group & ~others) ? errno : 0;
}

// The lines of the first bytes of the file, up to maxLines line ends, up to the size limit.
QByteArray readBytes(const QString &path, int maxLines, Links links)
{
    Fd file = openRegular(path, O_RDONLY, links);
    QByteArray bytes;
    int lineEnds = 0;
    char chunk[65536];
    for (;;) {
        if (maxLines >= 0 && lineEnds >= maxLines)
            break;
        const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw pz::IoError::fromErrno(path, errno);
        }
        if (n == 0)
            break;
        if (maxLines >= 0)
            for (ssize_t i = 0; i < n; ++i)
                lineEnds += chunk[i] == '\n';
        if (bytes.size() + n > kMaxBytes)
            throw pz::IoError(path, pz::reason::tooLarge());
        bytes.append(chunk, n);
    }
    return bytes;
}
} // namespace

QByteArray encode(const QString &text)
{
    // Stateless: half a surrogate pair at the end is an error, not something kept for a next call.
    QStringEncoder enc(kCodec, QStringConverter::Flag::Stateless);
    QByteArray bytes = enc.encode(text);
    if (!enc.isValid() || enc.hasError())
        throw pz::ConversionError(text);
    return bytes;
}

QString decode(const QByteArray &bytes)
{
    // A lead byte at the very end (a torn last character) would be held back by the decoder and
    // lost unseen; a line feed after it, which can never be a second byte, makes it show as the
    // substitute character like any other byte that is no character.
    QStringDecoder dec(kCodec, QStringConverter::Flag::Stateless);
    QString text = dec.decode(bytes + '\n');
    text.chop(1);
    return text;
}

QStringList splitLines(const QString &text)
{
    QString t = text;
    t.remove(QChar(0));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the file ended with a line end
    for (QString &l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    return lines;
}

QStringList readLines(const QString &path, int maxLines, Links links)
{
    QStringList lines = splitLines(decode(readBytes(path, maxLines, links)));
    if (maxLines >= 0 && lines.size() > maxLines)
        lines.resize(maxLines);
    return lines;
}

QByteArray readFirstLineBytes(const QString &path, Links links)
{
    QByteArray bytes = readBytes(path, 1, links);
    if (const qsizetype end = bytes.indexOf('\n'); end >= 0)
        bytes.truncate(end);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    return bytes;
}

QString readFirstLine(const QString &path, Links links)
{
    const QStringList lines = readLines(path, 1, links);
    return lines.isEmpty() ? QString() : lines.first();
}

void rewrite(const QString &path, const QStringList &lines, Links links)
{
    const QByteArray bytes = encodeLines(lines); // refuse before anything is written
    const QByteArray native = nativePath(path);

    struct stat st {};
    const bool exists = ::lstat(native.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        throw pz::IoError::fromErrno(path, errno);
    if (exists) {
        if (S_ISLNK(st.st_mode))
            throw pz::IoError(path, pz::reason::isLink());
        if (S_ISDIR(st.st_mode))
            throw pz::IoError::fromErrno(path, EISDIR);
        if (!S_ISREG(st.st_mode))
            throw pz::IoError(path, pz::reason::notRegular());
        // The rename needs only the folder; a file we may not write must still not be replaced.
        // Opened for writing without truncating, so that nothing changes yet.
        Fd old = openFile(path, O_WRONLY, links);
        if (old.get() < 0)
            throw pz::IoError::fromErrno(path, errno);
        if (::fstat(old.get(), &st) != 0)
            throw pz::IoError::fromErrno(path, errno);
    }

    // A hidden temporary in the same folder, so that the rename stays on one file system; its name
    // is short, since the file's own name may already be as long as a name can be.
    const QString folder = QFileInfo(path).path();
    QByteArray temp = nativePath(folder + QStringLiteral("/.pikazan-XXXXXX"));
    Fd file(::mkostemp(temp.data(), O_CLOEXEC));
    if (file.get() < 0)
        throw pz::IoError::fromErrno(path, errno);
    auto fail = [&](int errnum) {
        file.reset();
        ::unlink(temp.constData());
        throw pz::IoError::fromErrno(path, errnum);
    };
    if (exists) {
        // Owner first: a change of owner clears the set-id bits that the mode then restores.
        if (const int e = keepOwnership(file.get(), st))
            fail(e);
        if (::fchmod(file.get(), st.st_mode & 07777) != 0)
            fail(errno);
    } else if (const permissions::Rule rule = permissions::forFolder(folder); rule.shared) {
        if (const int e = permissions::applyToNew(file.get(), rule, false))
            fail(e);
    } else {
        // A private folder: what the umask allows, not the temporary's private 0600.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(file.get(), 0666 & ~mask) != 0)
            fail(errno);
    }
    if (const int e = writeAll(file.get(), bytes.constData(), bytes.size()))
        fail(e);
    if (const int e = syncData(file.get()))
        fail(e);
    if (!file.close())
        fail(errno);
    if (callRename(temp.constData(), native.constData()) != 0) {
        const int e = errno;
        ::unlink(temp.constData());
        throw pz::IoError::fromErrno(path, e);
    }
    syncFolder(folder);
}

void createNew(const QString &path, const QStringList &lines)
{
    const QByteArray bytes = encodeLines(lines);
    const QByteArray native = nativePath(path);
    const permissions::Rule rule = permissions::forNewEntry(path);
    // O_EXCL: never an existing file, never through a link.
    Fd file(::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    if (file.get() < 0)
        throw pz::IoError::fromErrno(path, errno);
    int e = permissions::applyToNew(file.get(), rule, false);
    if (!e)
        e = writeAll(file.get(), bytes.constData(), bytes.size());
    if (!e)
        e = syncData(file.get());
    if (!e && !file.close())
        e = errno;
    if (e) {
        file.reset();
        ::unlink(native.constData()); // ours: created above with O_EXCL
        throw pz::IoError::fromErrno(path, e);
    }
}

void appendLine(const QString &path, const QString &line, Links links)
{
    QByteArray bytes = encode(line) + "\r\n";
    // Read access too, to see how the file ends; a file we may only write is appended blind.
    Fd file = openFile(path, O_RDWR | O_APPEND, links);
    if (file.get() < 0 && errno == EACCES)
        file = openFile(path, O_WRONLY | O_APPEND, links);
    if (file.get() < 0)
        throw pz::IoError::fromErrno(path, errno);
    requireRegular(path, file);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        throw pz::IoError::fromErrno(path, errno);
    const off_t oldSize = st.st_size;
    if (oldSize > 0) {
        // A last line without its CR LF (hand-edited, or torn before) would swallow this one.
        char tail = '\n';
        if (::pread(file.get(), &tail, 1, oldSize - 1) == 1 && tail != '\n')
            bytes.prepend(tail == '\r' ? "\n" : "\r\n");
    }
    int e = writeAll(file.get(), bytes.constData(), bytes.size());
    if (!e)
        e = syncData(file.get());
    if (e) {
        // Never leave a torn line for the next drill to be glued onto.
        [[maybe_unused]] const int cut = ::ftruncate(file.get(), oldSize);
        throw pz::IoError::fromErrno(path, e);
    }
    if (!file.close())
        throw pz::IoError::fromErrno(path, errno);
}

namespace testing {
void setSyscalls(const Syscalls &calls) { syscalls() = calls; }
} // namespace testing

} // namespace textfile
