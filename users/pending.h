#pragma once
// Drill lines that could not be appended to a child's history file (a read-only folder, a busy or
// broken share, a full disk) are kept aside in this account's own state folder, never in the
// classroom, and appended later: at the next start in that classroom, or after the next line that
// could be written there.
//
// One file per line in $XDG_STATE_HOME/pikazan/pending (default ~/.local/state/pikazan/pending),
// UTF-8, mode 0600, written through a temporary and a rename; the names sort in the order the lines
// were kept. Each holds the classroom (absolute path of the working folder), the user and the line.
//
// Once and in order: an entry is removed only after its line is in the history file. A crash
// between the two leaves the entry, and its line is appended a second time at the next start: a
// line twice is the lesser evil, a line lost is what this module is here to prevent. A user deleted
// meanwhile (no name.dat or no name.psw) gets nothing: the entry is dropped and said so.
#include "base/errors.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace pending {

// The state folder for kept lines (not created here).
QString folder();
// The classroom the program works in: the working folder's absolute path, links resolved.
QString classroomHere();

struct Entry {
    QString file; // the entry's own file
    QString classroom;
    QString user;
    QString line;
};
// Every kept line of every classroom, in the order they were kept. Entries that cannot be read are
// left out (and left alone).
QList<Entry> entries();

// Keeps a line aside for the classroom. Throws IoError naming the state file when it cannot.
void keep(const QString &classroom, const QString &user, const QString &line);

// What the append of a line did when it failed: its error (the text of which now also says whether
// the line was kept aside) and whether it was kept. A line not kept is still the caller's.
struct Failure {
    pz::IoError error;
    bool kept = false;
};
// Runs append (which writes user's line into this classroom); when it throws IoError, keeps the
// line aside for classroomHere() and returns the failure to report. Nothing when the line landed.
std::optional<Failure> appendOrKeep(const QString &user, const QString &line, const std::function<void()> &append);

// Appends the classroom's kept lines, oldest first, through append (true: appended; false: the user
// is gone). Stops at the first failure, so that nothing overtakes a line that has to wait.
struct Outcome {
    int appended = 0;
    QStringList dropped; // "user line", for the lines whose user is gone
    std::optional<pz::IoError> stopped;
};
using AppendFn = std::function<bool(const QString &user, const QString &line)>;
Outcome flush(const QString &classroom, const AppendFn &append);
// The message about dropped lines, or an empty text.
QString droppedMessage(const Outcome &outcome);

// The program's flush: this classroom's kept lines through the user store. Returns the message to
// show (lines dropped because their user was deleted), or an empty text. A line that still cannot
// be written stays kept, silently: the start-up check has said what is wrong with the folder.
QString flushHere();

} // namespace pending
