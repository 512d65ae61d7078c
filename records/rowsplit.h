#pragma once
// How one line of a history file is cut into the five cells of a table row. The line is decoded
// first, so a double-byte character is one character here and its second byte can never be taken
// for a separator or a quote; a byte that is no character arrives as U+FFFD and stays in its item.
//
// Separators are commas and every character whose code is 1 to 32 (blanks, tabs, control
// characters); runs of them around an item are skipped. An item that starts with a double quote
// runs to the next lone double quote, and "" inside it stands for one ". Empty items fill no cell,
// so the next item takes that cell; items beyond the fifth are dropped.
//
// A quote that is never closed does not open a quoted item: the quote is kept as an ordinary
// character and the item is cut at the next separator like any other. A stray quote in a
// hand-edited or torn line then costs nothing but that one character, and the rest of the line
// still lands in its columns instead of disappearing into one cell.
//
// No field the program writes comes near kMaxCell characters: a longer item is damage. It is cut to
// kMaxCell - 1 characters followed by "…", so that a table never has to lay out megabytes of text.
#include <QString>
#include <QStringView>
#include <array>

namespace rowsplit {

inline constexpr int kColumns = 5;
inline constexpr qsizetype kMaxCell = 256;
inline constexpr QChar kCutMark = u'…';
using Row = std::array<QString, kColumns>;

Row splitRow(QStringView line);

// Whether a cell holds an item that was cut.
inline bool isCut(const QString &cell) { return cell.size() == kMaxCell && cell.endsWith(kCutMark); }

} // namespace rowsplit
