#include "platform/textfile.h"
#include "platform/posixfile.h"
#include "base/errors.h"
#include "platform/permissions.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
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

using posixfile::Fd;
using posixfile::native;

// Opens without blocking (a FIFO would wait for a writer) and never through a link; -1 and errno
// on failure.
Fd openFile(const QString &path, int flags, Links)
{
    flags |= O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW;
    int fd;
    do
        fd = ::open(native(path).constData(), flags);
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

namespace {
// The converter's table is IBM's: it rotates three control codes (0x1A <-> U+001C, 0x1C <-> U+007F,
// 0x7F <-> U+001A). Files made on Windows mean Microsoft's cp932, where every ASCII byte is itself.
char16_t toMicrosoft(char16_t c)
{
    switch (c) {
    case 0x001C: return 0x001A;
    case 0x007F: return 0x001C;
    case 0x001A: return 0x007F;
    default: return c;
    }
}
char16_t fromMicrosoft(char16_t c)
{
    switch (c) {
    case 0x001A: return 0x001C;
    case 0x001C: return 0x007F;
    case 0x007F: return 0x001A;
    default: return c;
    }
}
bool isAsciiControlSwapped(QChar c) { return c == u'\x1a' || c == u'\x1c' || c == u'\x7f'; }

bool isSingleByte(uchar b) { return b < 0x80 || (b >= 0xA1 && b <= 0xDF); }
bool isLeadByte(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(uchar b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
} // namespace

std::optional<QByteArray> tryEncode(const QString &text)
{
    // Stateless: half a surrogate pair at the end is an error, not something kept for a next call.
    QStringEncoder enc(kCodec, QStringConverter::Flag::Stateless);
    QByteArray bytes;
    if (std::any_of(text.begin(), text.end(), isAsciiControlSwapped)) {
        QString mapped = text;
        for (QChar &c : mapped)
            c = QChar(fromMicrosoft(c.unicode()));
        bytes = enc.encode(mapped);
    } else {
        bytes = enc.encode(text);
    }
    if (!enc.isValid() || enc.hasError())
        return std::nullopt;
    return bytes;
}

QByteArray encode(const QString &text)
{
    std::optional<QByteArray> bytes = tryEncode(text);
    if (!bytes)
        throw pz::ConversionError(text);
    return *std::move(bytes);
}

QString decode(const QByteArray &bytes)
{
    // The converter writes U+001A for a byte that is no character, the very code a file's own
    // control byte 0x1A stands for; readers could not tell damage from a control character (a
    // history row would be cut there). So only well-formed runs go to the converter, and every
    // byte that is no character, a lead byte without its second byte too (a torn last character),
    // becomes U+FFFD, which no reader takes for a separator and encode() refuses to write back.
    QStringDecoder dec(kCodec, QStringConverter::Flag::Stateless);
    const auto microsoft = [](QString &part) {
        char16_t *c = reinterpret_cast<char16_t *>(part.data());
        for (qsizetype i = 0, m = part.size(); i < m; ++i)
            if (c[i] < 0x80)
                c[i] = toMicrosoft(c[i]);
    };
    // Most files are whole: one pass of the converter, which reports any byte that is no character
    // (a line feed after the last byte makes a torn last character one too).
    {
        QString text = dec.decode(bytes + '\n');
        if (!dec.hasError()) {
            text.chop(1);
            microsoft(text);
            return text;
        }
        dec.resetState();
    }
    QString text;
    const char *const data = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype run = 0;
    const auto flush = [&](qsizetype end) {
        if (end <= run)
            return;
        QString part = dec.decode(QByteArrayView(data + run, end - run));
        microsoft(part);
        text += part;
    };
    for (qsizetype i = 0; i < n;) {
        const uchar b = uchar(data[i]);
        if (isSingleByte(b)) {
            ++i;
        } else if (isLeadByte(b) && i + 1 < n && isTrailByte(uchar(data[i + 1]))) {
            i += 2;
        } else {
            flush(i);
            text += kNoCharacter;
            run = ++i; // the next byte starts over: it may be a character of its own
        }
    }
    flush(n);
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

namespace {
enum class Kind { Shared, Secret };

void replaceFile(const QString &path, const QStringList &lines, Links links, Kind kind)
{
    const QByteArray bytes = encodeLines(lines); // refuse before anything is written
    const QByteArray target = native(path);

    struct stat st {};
    const bool exists = ::lstat(target.constData(), &st) == 0;
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
    QByteArray temp = native(folder + QStringLiteral("/.pikazan-XXXXXX"));
    Fd file(::mkostemp(temp.data(), O_CLOEXEC));
    if (file.get() < 0)
        throw pz::IoError::fromErrno(path, errno);
    auto fail = [&](int errnum) {
        file.reset();
        ::unlink(temp.constData());
        throw pz::IoError::fromErrno(path, errnum);
    };
    if (kind == Kind::Secret) {
        // A password never keeps a mode that let others read it or the group write it.
        if (exists)
            if (const int e = keepOwnership(file.get(), st))
                fail(e);
        if (const int e = permissions::applySecret(file.get(), path))
            fail(e);
    } else if (exists) {
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
    if (const int e = posixfile::commitTemporary(file, bytes, temp, target))
        throw pz::IoError::fromErrno(path, e);
}
} // namespace

void rewrite(const QString &path, const QStringList &lines, Links links) { replaceFile(path, lines, links, Kind::Shared); }

void rewriteSecret(const QString &path, const QStringList &lines) { replaceFile(path, lines, Links::Refuse, Kind::Secret); }

void createNew(const QString &path, const QStringList &lines)
{
    const QByteArray bytes = encodeLines(lines);
    const QByteArray target = native(path);
    const permissions::Rule rule = permissions::forNewEntry(path);
    // O_EXCL: never an existing file, never through a link.
    Fd file(::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    if (file.get() < 0)
        throw pz::IoError::fromErrno(path, errno);
    int e = permissions::applyToNew(file.get(), rule, false);
    if (!e)
        e = posixfile::writeSyncClose(file, bytes);
    if (e) {
        file.reset();
        ::unlink(target.constData()); // ours: created above with O_EXCL
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
    int e = posixfile::writeAll(file.get(), bytes);
    if (!e)
        e = posixfile::syncData(file.get());
    if (e) {
        // Never leave a torn line for the next drill to be glued onto.
        [[maybe_unused]] const int cut = ::ftruncate(file.get(), oldSize);
        throw pz::IoError::fromErrno(path, e);
    }
    if (!file.close())
        throw pz::IoError::fromErrno(path, errno);
}

} // namespace textfile
