#include "users/groups.h"

#include "base/classroom.h"
#include "base/errors.h"
#include "platform/textfile.h"
#include "users/folderlock.h"
#include "users/userstore.h"

#include <QFileInfo>

#include <algorithm>

namespace groups {

QString path() { return Classroom::inUse().path(QStringLiteral("user/kumi.txt")); }
QString versionLine() { return QStringLiteral("pikazan-kumi 1"); }

namespace {
QHash<QString, QString> readUnlocked()
{
    QHash<QString, QString> out;
    const QFileInfo info(path());
    if (!info.exists() && !info.isSymLink())
        return out;
    const QStringList lines = textfile::readLines(path());
    if (lines.isEmpty() || lines.first() != versionLine())
        throw pz::IoError(path(), pz::reason::damaged());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines.at(i).isEmpty())
            continue;
        const QStringList f = lines.at(i).split(QLatin1Char('\t'));
        if (f.size() != 2 || f[0].isEmpty() || f[1].isEmpty())
            throw pz::IoError(path(), pz::reason::damaged());
        out.insert(f[0], f[1]);
    }
    return out;
}
} // namespace

QHash<QString, QString> read() { return readUnlocked(); }

QString of(const QString &name) { return read().value(name); }

namespace {
// Runs of digits compare by their value, so that 2組 comes before 10組 (no collator is needed).
bool numericLess(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Full-width digits too (１組), by their value.
            qulonglong x = 0, y = 0;
            qsizetype ei = i, ej = j;
            for (; ei < a.size() && a[ei].isDigit(); ++ei)
                x = x * 10 + qulonglong(a[ei].digitValue());
            for (; ej < b.size() && b[ej].isDigit(); ++ej)
                y = y * 10 + qulonglong(b[ej].digitValue());
            if (x != y)
                return x < y;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}
} // namespace

QStringList all()
{
    const QHash<QString, QString> g = read();
    QStringList out(g.begin(), g.end());
    out.removeDuplicates();
    std::sort(out.begin(), out.end(), numericLess);
    return out;
}

namespace {
void writeUnlocked(const QHash<QString, QString> &g)
{
    QStringList names = g.keys();
    names.sort();
    QStringList lines{versionLine()};
    for (const QString &n : std::as_const(names))
        lines << n + QLatin1Char('\t') + g.value(n);
    textfile::rewrite(path(), lines);
}
} // namespace

void assign(const QHash<QString, QString> &changes)
{
    folderlock::FolderLock lock(userstore::folder());
    QHash<QString, QString> g = readUnlocked();
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.value().isEmpty())
            g.remove(it.key());
        else
            g.insert(it.key(), it.value());
    }
    writeUnlocked(g);
}

void forget(const QString &name)
{
    folderlock::FolderLock lock(userstore::folder());
    QHash<QString, QString> g = readUnlocked();
    if (g.remove(name)) // a room without the file, or without this child in it, is left as it is
        writeUnlocked(g);
}

} // namespace groups
