#pragma once
// The program's text files: cp932 (Shift-JIS) with CR LF line ends. Every screen reads and writes
// through here; nobody opens a file by hand. All functions throw pz::IoError / pz::ConversionError.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace textfile {

// cp932 <-> Unicode. encode() refuses text that cp932 cannot hold (ConversionError).
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// Splits file content into lines: CR LF or LF ends a line, a last line without an end counts,
// NUL bytes (left by a power cut in a torn last line) are dropped.
QStringList splitLines(const QString &text);

// All lines of the file (at most maxLines when maxLines >= 0).
QStringList readLines(const QString &path, int maxLines = -1);
// Line 1, or "" for an empty file.
QString readFirstLine(const QString &path);

// Replaces the whole file with these lines, each ended by CR LF, through a temporary and a rename.
void rewrite(const QString &path, const QStringList &lines);
// Creates a new file holding these lines; fails when the file already exists.
void createNew(const QString &path, const QStringList &lines);
// Appends one line and CR LF to an existing file (never creates it) in a single write.
void appendLine(const QString &path, const QString &line);

} // namespace textfile
