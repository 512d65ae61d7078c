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

namespace textfile {

// No text file of the program comes near this; a larger one is damage and is not read whole.
constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

// What a path whose last part is a symbolic link means: the file it points to (the settings file
// may be kept elsewhere and linked in), or a refusal (a user's files must lie in the user folder).
enum class Links { Follow, Refuse };

// cp932 (Microsoft's: every ASCII byte is itself) <-> Unicode. encode() refuses text that cp932
// cannot hold (ConversionError), U+FFFD among it. decode() turns every byte or pair that is no
// character (a lone or torn lead byte, 0x80, 0xA0, 0xFD to 0xFF) into U+FFFD, never into a control
// character.
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
QStringList readLines(const QString &path, int maxLines = -1, Links links = Links::Follow);
// Line 1, or "" for an empty file.
QString readFirstLine(const QString &path, Links links = Links::Follow);

// Replaces the whole file with these lines, each ended by CR LF: written to a temporary beside it,
// synced, and renamed over the file only when every write succeeded, so a failure leaves the old
// file whole. The file keeps its permissions.
void rewrite(const QString &path, const QStringList &lines, Links links = Links::Follow);
// Creates a new file holding these lines; fails when anything (a link too) has the name already.
// A failed write removes the file it created, and only that.
void createNew(const QString &path, const QStringList &lines);
// Appends one line and CR LF to an existing file (never creates it), all or nothing: a last line
// without its CR LF is ended first, and a write that fails part-way cuts the file back.
void appendLine(const QString &path, const QString &line, Links links = Links::Follow);

} // namespace textfile
