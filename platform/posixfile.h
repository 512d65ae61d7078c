#pragma once
// The few system-call helpers every file writer of the program needs, in one place: a path as the
// system wants it, a descriptor that closes itself, a write that finishes or says why not, and the
// steps that make a saved file last through a power cut (data synced, then renamed, then the folder
// synced). Results are errno values, not exceptions: each caller knows which file to name.
#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <sys/types.h>
#include <functional>

namespace posixfile {

// The path in the file system's own encoding.
QByteArray native(const QString &path);

// Closes the descriptor however the function leaves.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd &operator=(Fd &&other) noexcept;
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1);
    // Closes now and tells whether the close succeeded (errno set when not): on a network share a
    // write error may only show here.
    bool close();

private:
    int fd_;
};

// Writes all of the bytes (at offset `at` when it is not negative, else at the file's position).
// Returns 0, or the errno of the write that fell short; a write that writes nothing is a full disk
// (ENOSPC), never a reason to try for ever.
int writeAll(int fd, const char *data, qint64 size, off_t at = -1);
inline int writeAll(int fd, const QByteArray &bytes, off_t at = -1) { return writeAll(fd, bytes.constData(), bytes.size(), at); }

// Syncs the file's data. 0, or the errno; a file system that cannot sync a file at all (EINVAL,
// EROFS) is no failed write.
int syncData(int fd);
// Writes the bytes, syncs them and closes the file: 0, or the errno of the step that failed (the
// file then closed all the same).
int writeSyncClose(Fd &file, const QByteArray &bytes);

// Puts a file written to a temporary in place: the bytes written and synced, the temporary closed
// and renamed to `target` (both names relative to `folder`, a descriptor of their folder, or
// AT_FDCWD), then the folder synced (best effort: the file is in place either way). Returns 0, or
// the errno of the step that failed; then the temporary is removed and the target left as it was,
// and *atRename (when given) tells whether it was the rename that failed.
int commitTemporary(Fd &file, const QByteArray &bytes, const QByteArray &temp, const QByteArray &target,
                    int folder = AT_FDCWD, bool *atRename = nullptr);

namespace testing {
// The calls that make a save last: the temporary's data synced before the rename, the folder synced
// after it; and every write of writeAll (`at` negative: at the file's position), whose short or
// empty writes a test cannot get from a real disk at will. A test swaps them to watch their order or
// make them fail; Syscalls{} puts the system's own back.
struct Syscalls {
    std::function<int(int fd)> fdatasync;
    std::function<int(int folder, const char *from, const char *to)> rename;
    std::function<int(int fd)> fsync;
    std::function<ssize_t(int fd, const char *data, size_t size, off_t at)> write = {}; // may be left out
};
void setSyscalls(const Syscalls &calls);
} // namespace testing

} // namespace posixfile
