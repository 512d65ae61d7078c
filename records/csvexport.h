#pragma once
// Every child's history as one CSV file for the school's spreadsheet: cp932, CR LF, RFC 4180 quoting,
// a cell that a spreadsheet would take for a formula (=, +, -, @, a tab or a CR first) led by an
// apostrophe,
// the columns 名前,級/段,日付,正解数,不正解数,合否 and one row per drill line. The classroom folder is
// only read; the file goes where the teacher chooses, never inside the classroom.
#include "base/classroom.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <utility>
#include <vector>

namespace csvexport {

QString header(); // "名前,級/段,日付,正解数,不正解数,合否"

// One field as RFC 4180 wants it: in double quotes, with every quote doubled, when it holds a
// comma, a quote, a CR or an LF; else as it is.
QString quoted(QStringView field);
// A cell as the spreadsheet should show it: led by an apostrophe when it would start a formula.
QString defused(QStringView cell);

// A child's name and the lines of the history file, header included.
using History = std::pair<QString, QStringList>;
// The CSV's lines (without line ends): the header, then per child, in the order given, one row per
// line after the history's header, cut into its five cells as the records table cuts it. Empty
// lines are no drill and give no row; a byte that is no character is kept as "〓" so that the row
// still reaches the spreadsheet.
QStringList lines(const std::vector<History> &histories);

// The histories of every registered user of the classroom (the working folder), in the listing's
// order; a child whose history cannot be read is an IoError naming the file, for a CSV without
// some drills would look complete.
// With a 組, only the children of that 組 (users/groups.h).
std::vector<History> readClassroom(const QString &group = QString());

struct Written {
    int children = 0;
    int rows = 0;
    QString refusal; // why nothing was written (the place), or empty
};
// Writes the classroom's CSV to `file` (platform/outputfile.h): refused, with nothing written, inside
// `classroom` or through a link (the histories are still read from the working folder's store); IoError on any failure of reading or
// writing (an old file of that name is then left as it was).
Written exportClassroom(const Classroom &classroom, const QString &file, const QString &group = QString());

// The default file name, "きろく-YYYY-MM-DD.csv".
QString defaultFileName(const QDate &day);

} // namespace csvexport
