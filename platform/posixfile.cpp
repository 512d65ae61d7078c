#include "platform/posixfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace posixfile {

QByteArray native(const QString &path) { return QFile::encodeName(path); }

Fd &Fd::operator=(Fd &&other) noexcept
{
    if (this != &other) {
        reset(other.fd_);
        other.fd_ = -1;
    }
    return *this;
}

void Fd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

bool Fd::close()
{
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || errno == EINTR;
}

namespace {
testing::Syscalls &syscalls()
{
    static testing::Syscalls calls;
    return calls;
}

ssize_t callWrite(int fd, const char *data, size_t size, off_t at)
{
    if (syscalls().write)
        return syscalls().write(fd, data, size, at);
    return at < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, at);
}
int callFdatasync(int fd) { return syscalls().fdatasync ? syscalls().fdatasync(fd) : ::fdatasync(fd); }
int callFsync(int fd) { return syscalls().fsync ? syscalls().fsync(fd) : ::fsync(fd); }
int callRename(int folder, const char *from, const char *to)
{
    return syscalls().rename ? syscalls().rename(folder, from, to) : ::renameat(folder, from, folder, to);
}

void syncFolder(int folder, const QByteArray &target)
{
    if (folder != AT_FDCWD) {
        callFsync(folder);
        return;
    }
    const Fd dir(::open(native(QFileInfo(QFile::decodeName(target)).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        callFsync(dir.get());
}
} // namespace

int writeAll(int fd, const char *data, qint64 size, off_t at)
{
    qint64 done = 0;
    while (done < size) {
        const size_t left = size_t(size - done);
        const ssize_t n = callWrite(fd, data + done, left, at < 0 ? at : at + off_t(done));
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

int syncData(int fd)
{
    while (callFdatasync(fd) != 0) {
        if (errno == EINTR)
            continue;
        return (errno == EINVAL || errno == EROFS) ? 0 : errno;
    }
    return 0;
}

int writeSyncClose(Fd &file, const QByteArray &bytes)
{
    int e = writeAll(file.get(), bytes);
    if (!e)
        e = syncData(file.get());
    if (e) {
        file.reset();
        return e;
    }
    return file.close() ? 0 : errno;
}

int commitTemporary(Fd &file, const QByteArray &bytes, const QByteArray &temp, const QByteArray &target, int folder, bool *atRename)
{
    int e = writeSyncClose(file, bytes);
    const bool renaming = e == 0;
    if (!e && callRename(folder, temp.constData(), target.constData()) != 0)
        e = errno;
    if (atRename)
        *atRename = renaming;
    if (e) {
        ::unlinkat(folder, temp.constData(), 0); // the caller's own temporary
        return e;
    }
    syncFolder(folder, target);
    return 0;
}

namespace testing {
void setSyscalls(const Syscalls &calls) { syscalls() = calls; }
} // namespace testing

} // namespace posixfile
