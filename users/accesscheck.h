#pragma once
// What this account cannot do in its classroom folder, looked at once at start-up: in a computer
// room sharing one folder, a child whose drill line cannot be kept must be told before the drill,
// not by an error box on the result sheet. Nothing here writes or changes anything.
#include <QList>
#include <QString>

namespace accesscheck {

struct Problem {
    enum Kind {
        FolderNotWritable, // user/ or settei/: no registration, no lock, no saved settings
        FileNotReadable,   // settei/settei.dat: no drill can start
        FileNotWritable,   // a child's history user/<name>.dat: their drills are not kept
    };
    Kind kind;
    QString path; // relative to the working folder, as the program names it

    bool operator==(const Problem &) const = default;
};

// The problems of the working folder: the two folders, then the settings file, then the children's
// history files by name. Only what is there is looked at (a missing folder or file gets its own
// report where it is used), folders through links, files only when they are regular files of their
// own (a link is no user's history, and is never followed). Root passes every check.
QList<Problem> problems();

// The message for the start-up box: what is wrong (a few paths at most, then "ほか N 件") and that
// the school's IT should mend it. Empty when there is no problem.
QString message(const QList<Problem> &problems, const QString &classroom);

} // namespace accesscheck
