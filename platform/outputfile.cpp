#include "platform/outputfile.h"

#include "base/errors.h"
#include "platform/posixfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace outputfile {
namespace {

using posixfile::Fd;
using posixfile::native;

struct Id {
    dev_t dev;
    ino_t ino;
    bool operator==(const Id &) const = default;
};

QString insideText() { return QStringLiteral("教室フォルダの中には保存できません。別の場所を選んでください"); }

// The classroom and its own folders, as they are on disk (links followed: a user/ that is a link
// leads into the classroom too).
std::vector<Id> classroomFolders(const Classroom &classroom)
{
    std::vector<Id> ids;
    for (const QString &folder : {classroom.root(), classroom.user(), classroom.path(QStringLiteral("settei")), classroom.wav()}) {
        struct stat st {};
        if (::stat(native(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            ids.push_back({st.st_dev, st.st_ino});
    }
    return ids;
}

// Whether the folder open on fd, or any folder above it, is one of these.
bool under(int fd, const std::vector<Id> &folders)
{
    Fd walk(::dup(fd));
    for (int depth = 0; walk.get() >= 0 && depth < 4096; ++depth) {
        struct stat here {};
        if (::fstat(walk.get(), &here) != 0)
            return true; // a folder we cannot look at is not known to be outside
        for (const Id &f : folders)
            if (f == Id{here.st_dev, here.st_ino})
                return true;
        Fd up(::openat(walk.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat above {};
        if (up.get() < 0 || ::fstat(up.get(), &above) != 0)
            return true;
        if (above.st_dev == here.st_dev && above.st_ino == here.st_ino)
            return false; // the root
        walk.reset(::dup(up.get()));
    }
    return true;
}

// Whether the file begins with these bytes (read without following a link or waiting on a FIFO).
bool startsAs(int folder, const QByteArray &name, const QByteArray &start)
{
    const Fd fd(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0 || start.isEmpty())
        return false;
    QByteArray head(start.size(), '\0');
    qsizetype got = 0;
    while (got < head.size()) {
        const ssize_t n = ::pread(fd.get(), head.data() + got, size_t(head.size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    return got == head.size() && head == start;
}

struct Target {
    Fd folder;
    QByteArray name;
    bool exists = false;
    mode_t mode = 0;
};

// Opens the target's folder and judges the target; a refusal, or an empty text.
QString judge(const Classroom &classroom, const QString &file, const QByteArray &ownStart, Target *t)
{
    const QFileInfo info(file);
    t->name = native(info.fileName());
    if (t->name.isEmpty() || t->name == "." || t->name == "..")
        return QStringLiteral("「%1」はファイルの名前ではありません。").arg(file);
    t->folder.reset(::open(native(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (t->folder.get() < 0)
        throw pz::IoError::fromErrno(info.path(), errno);
    // Without a classroom nothing is known to be outside it.
    if (classroom.isNull() || under(t->folder.get(), classroomFolders(classroom)))
        return insideText();
    struct stat st {};
    if (::fstatat(t->folder.get(), t->name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            return QStringLiteral("「%1」はリンクです。リンクの先には保存しません。別の名前にしてください").arg(file);
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("「%1」はファイルではありません。別の名前にしてください").arg(file);
        // The rename needs only the folder: a file we may not write must still not be replaced.
        if (::faccessat(t->folder.get(), t->name.constData(), W_OK, AT_EACCESS) != 0)
            throw pz::IoError::fromErrno(file, errno);
        if (!startsAs(t->folder.get(), t->name, ownStart))
            return QStringLiteral("「%1」は、このプログラムが書く種類のファイルではないので、置きかえません。別の名前にしてください").arg(file);
        t->exists = true;
        t->mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        throw pz::IoError::fromErrno(file, errno);
    }
    return QString();
}

} // namespace

QString refusal(const Classroom &classroom, const QString &file, const QByteArray &ownStart)
{
    Target t;
    return judge(classroom, file, ownStart, &t);
}

QString save(const Classroom &classroom, const QString &file, const QByteArray &bytes, const QByteArray &ownStart)
{
    Target t;
    if (QString refused = judge(classroom, file, ownStart, &t); !refused.isEmpty())
        return refused;
    // A hidden temporary in the same folder (one file system for the rename), made through the
    // folder already judged, so that nothing swapped in meanwhile changes where it lands.
    QByteArray temp;
    Fd out;
    for (int tries = 0; out.get() < 0; ++tries) {
        temp = ".pikazan-out-" + QByteArray::number(qint64(::getpid())) + '-' + QByteArray::number(::random() % 1000000);
        out.reset(::openat(t.folder.get(), temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (out.get() < 0 && (errno != EEXIST || tries > 100))
            throw pz::IoError::fromErrno(file, errno);
    }
    // An old file keeps its mode.
    if (t.exists && ::fchmod(out.get(), t.mode) != 0) {
        const int err = errno;
        out.reset();
        ::unlinkat(t.folder.get(), temp.constData(), 0); // ours, made above
        throw pz::IoError::fromErrno(file, err);
    }
    if (const int err = posixfile::commitTemporary(out, bytes, temp, t.name, t.folder.get()))
        throw pz::IoError::fromErrno(file, err);
    return QString();
}

} // namespace outputfile
