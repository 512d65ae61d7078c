#pragma once
// Each child's 組 (a short text; none is allowed), kept in a file of its own in the user folder so that
// no file of a child changes and a classroom without it works as before: user/kumi.txt, cp932 with
// CR LF, its first line the format's name and version ("pikazan-kumi 1"), then a line per child
// with a 組: the name, a tab, the 組. Written as the histories are: under the folder's lock, replaced
// whole through a temporary, the file's mode (or the folder's, for a new one) kept.
#include <QHash>
#include <QString>
#include <QStringList>

namespace groups {

QString path();          // ROOM/user/kumi.txt of the room in use
QString versionLine();   // "pikazan-kumi 1"

// Every child's 組 by name; none without the file. A file of another version or a line that is no
// "name<TAB>組" is damage: IoError naming the file (it is never rewritten over).
QHash<QString, QString> read();
// The 組 of one child; empty when none.
QString of(const QString &name);
// The 組 in use, in the order of the text (1組 before 2組), each once.
QStringList all();

// Gives these children these 組 (an empty one takes a child's away), all at once under the lock.
void assign(const QHash<QString, QString> &changes);

// Takes a child's 組 away, when there is one; nothing is written otherwise.
void forget(const QString &name);

// Whether `name` is shown under the filter `group` (empty: every child).
inline bool shown(const QHash<QString, QString> &all, const QString &name, const QString &group)
{
    return group.isEmpty() || all.value(name) == group;
}

} // namespace groups
