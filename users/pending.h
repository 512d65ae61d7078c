#pragma once
// Drill lines that could not be appended to a child's history file (a read-only folder, a busy or
// broken share, a full disk) are kept aside in this account's own state folder, never in the
// classroom, and appended later: at the next start in that classroom, or after the next line that
// could be written there.
//
// One file per line in $XDG_STATE_HOME/pikazan/pending (default ~/.local/state/pikazan/pending, the
// home taken from the password database when HOME is not set), UTF-8, mode 0600, written through a
// temporary and a rename; the names sort in the order the lines were kept. Each holds the classroom
// (absolute path of the working folder), the user, what identified the user's history when the line
// was kept (userstore::historyIdentity; entries from before have none), and the line. The state is
// the name's ending: ".line" waits, ".landing" is being appended, ".damaged" and ".unsure" are set
// aside for a person, never deleted.
//
// At most once, in order: an entry is taken (renamed) before its line is appended, given back if
// the append fails and removed after it. A program that stops in between leaves it taken; the next
// flush sets it aside and says so, rather than risk the line twice. A user deleted meanwhile, or
// deleted and registered again (another history), gets nothing: the entry is dropped and said so.
// An entry that is torn or holds no line the program could write is set aside and named once; one
// of another account, or writable by others, and a folder likewise, are not used (one warning).
#include "base/errors.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace pending {

// The state folder for kept lines (not created here).
QString folder();
// The classroom the program works in (Classroom::inUse()): its absolute path, links resolved.
QString classroomHere();

struct Entry {
    QString file; // the entry's own file
    QString classroom;
    QString user;
    QString identity; // empty for an entry kept before identities were recorded
    QString line;
};
// Every kept line of every classroom, in the order they were kept. Entries that cannot be read or
// are not sound are left out (and left alone).
QList<Entry> entries();

// Keeps a line aside for the classroom. Throws IoError naming the state file when it cannot.
void keep(const QString &classroom, const QString &user, const QString &line, const QString &identity = QString());

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
// or that history is gone). Stops at the first failure of an append, so that nothing overtakes a
// line that has to wait. With a budget, stops taking entries once that many milliseconds are spent
// (finished false); the next call goes on after the entry named `after`.
struct Outcome {
    int appended = 0;
    QStringList dropped;  // "user line", for the lines whose user (or history) is gone
    QStringList unsure;   // "user line", set aside: a flush stopped while appending them
    QStringList setAside; // damaged entries set aside: "file（why）"
    QStringList ignored;  // warnings about entries and folders not used
    std::optional<pz::IoError> stopped;
    QString after;
    bool finished = true;
};
using AppendFn = std::function<bool(const QString &user, const QString &line, const QString &identity)>;
Outcome flush(const QString &classroom, const AppendFn &append, const QString &after = QString(), qint64 budgetMs = -1);
// The message about dropped, set-aside and unused entries, or an empty text.
QString droppedMessage(const Outcome &outcome);

// The longest one batch of the program's flushes holds the event loop.
constexpr qint64 kBatchMs = 40;

// The program's flush: this classroom's kept lines through the user store, at most two batches'
// time (the rest waits for the next start). Returns the message to show, or an empty text. A line
// that still cannot be written stays kept, silently: the start-up check has said what is wrong.
QString flushHere();
// The same from the event loop, in batches of kBatchMs, so that a thousand kept lines hold no
// screen; done gets the message when there is one. A call while one runs makes it go round again.
void flushHereInSteps(std::function<void(const QString &message)> done);

} // namespace pending
