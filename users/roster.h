#pragma once
// The whole class from a list: the list read (one child a line: name, then optionally the password
// and the 組), what registering it would do line by line, and doing it as one change. Plain rules on
// the user store (users/userstore.h); the teacher's screen and the command line show the plan and the
// outcomes.
#include "users/userstore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace roster {

// One line of the list as it was read, its fields without the blanks around them.
struct Line {
    int number = 0; // 1 for the first line of the file
    QString name;
    QString password; // empty: one is made up
    QString group;    // the 組, empty: none
};

// The list's lines from the file's bytes: UTF-8 (with or without its BOM) when the bytes are UTF-8,
// else Shift_JIS; lines end with CR LF, LF or CR; fields are split by tabs when the line has one,
// else by commas (a field in double quotes may hold commas, "" is a quote). Empty lines, and a first
// line that is a heading (its first field 名前 or なまえ), are no child.
QList<Line> parse(const QByteArray &bytes);

// What registering a line would do.
enum class Outcome {
    New,        // registered by this run
    Registered, // a child of that name is registered already: left as it is
    Refused,    // not registered, for `reason`
};

struct Entry {
    Line line;
    QString password; // the one to give: the list's, or one made up
    bool madeUp = false;
    Outcome outcome = Outcome::Refused;
    QString reason; // for Registered and Refused
};

struct Plan {
    QList<Entry> entries;
    int count(Outcome o) const;
    // Whether every line of the list is registered by this run.
    bool allNew() const { return !entries.isEmpty() && count(Outcome::New) == entries.size(); }
};

// The most characters a 組 may have: enough for "6年1組", short enough for a card.
constexpr int kGroupMaxLength = 8;
// Why this 組 cannot be kept, or an empty text.
QString checkGroup(const QString &group);

// What two names come to when letter width, kana form (hiragana, katakana, half-width katakana)
// and letter case are set aside: two names with one key look the same to a child at the login.
QString lookAlikeKey(const QString &name);

// A password easy to read off a card and type: six letters and digits with none of 0 O o 1 l I i.
// `next(n)` gives a number in [0, n).
QString makePassword(const std::function<int(int)> &next);
// The characters a made-up password is made of.
QString passwordAlphabet();

// What registering these lines into the room in use would do, judged against the registered names
// and against the lines above; `next` makes up the missing passwords (makePassword).
Plan plan(const QList<Line> &lines, const std::function<int(int)> &next);

// Registers the plan's new children as one change (userstore::createUsers), with their 組
// (users/groups.h): all of them or none.
// Returns a refusal (a name registered meanwhile: nothing written; plan again) or an empty text; a
// file failure takes back what this run made and throws.
QString carryOut(const Plan &plan);

// Deletes a child (userstore::deleteUser) and, once the child is gone, their 組 too: a child
// registered later under the name starts in no 組.
userstore::DeleteResult deleteChild(const QString &name);

// One line telling a line's outcome, for the command's output and the teacher's preview.
QString describe(const Entry &e);

} // namespace roster
