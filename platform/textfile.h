#pragma once
// The program's text files: cp932 (Shift-JIS) with CR LF line ends. Every screen reads and writes
// through here; nobody opens a file by hand. All functions throw pz::IoError / pz::ConversionError,
// whose texts name the file and give the reason in Japanese.
//
// Only regular files are read or written: a folder, FIFO, device or socket in a file's place is
// refused at once (a FIFO is never waited on, /dev/zero never read for ever).
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace textfile {

// No text file of the program comes near this; a larger one is damage and is not read whole.
constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

// A symbolic link in a file's place is refused, on reading and on writing: every file of the
// program lies in the classroom folder, and a link there could hand a password from elsewhere to
// the program or let it overwrite a file outside. A caller may name the rule where it matters.
enum class Links { Refuse };

// cp932 (Microsoft's: every ASCII byte is itself) <-> Unicode. encode() refuses text that cp932
// cannot hold (ConversionError), U+FFFD among it; tryEncode() answers nothing for it instead, for
// callers to whom such text is an answer, not a failure. decode() turns every byte or pair that is
// no character (a lone or torn lead byte, 0x80, 0xA0, 0xFD to 0xFF) into U+FFFD, never into a
// control character.
std::optional<QByteArray> tryEncode(const QString &text);
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
// What decode() gives for a byte that is no character: a reader that must not take such text for
// its content (a password) looks for it.
inline constexpr QChar kNoCharacter = QChar::ReplacementCharacter;

// Splits file content into lines: CR LF or LF ends a line, a last line without an end counts,
// NUL bytes (left by a power cut in a torn last line) are dropped.
QStringList splitLines(const QString &text);

// All lines of the file, or only the first maxLines when maxLines >= 0: then no more of the file
// is read than those lines need.
QStringList readLines(const QString &path, int maxLines = -1, Links links = Links::Refuse);
// Line 1, or "" for an empty file.
QString readFirstLine(const QString &path, Links links = Links::Refuse);
// Line 1 as it is on disk, without its line end and before any decoding: NUL bytes and bytes that
// are no character are still there, for a caller that must tell damage from an empty line.
QByteArray readFirstLineBytes(const QString &path, Links links = Links::Refuse);

// Replaces the whole file with these lines, each ended by CR LF: written to a temporary beside it,
// synced, and renamed over the file only when every write succeeded, so a failure leaves the old
// file whole. A file we may not write (write-protected, another account's) is refused, as an
// overwrite in place would be. The file keeps its mode and its group (and its owner when we are
// root), so that a folder shared by several accounts stays writable for them all; a new file gets
// what its folder asks (platform/permissions.h).
void rewrite(const QString &path, const QStringList &lines, Links links = Links::Refuse);
// The same for a password file, except for its mode: new or rewritten, it gets the password mode of
// its folder (platform/permissions.h: 0640 of the folder's group when shared, else 0600), never the
// old file's. Its owner stays (when we are root), so a master password rewritten by IT stays the
// teacher's.
void rewriteSecret(const QString &path, const QStringList &lines);
// Creates a new file holding these lines, with what its folder asks (platform/permissions.h); fails
// when anything (a link too) has the name already. A failed write removes the file it created, and
// only that.
void createNew(const QString &path, const QStringList &lines);
// Appends one line and CR LF to an existing file (never creates it), all or nothing: a last line
// without its CR LF is ended first, and a write that fails part-way cuts the file back.
void appendLine(const QString &path, const QString &line, Links links = Links::Refuse);

} // namespace textfile
