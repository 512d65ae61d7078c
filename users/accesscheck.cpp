#include "users/accesscheck.h"

#include "base/classroom.h"
#include "platform/posixfile.h"
#include "settings/rand.h"
#include "users/userstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace accesscheck {

namespace {
constexpr int kListed = 3; // more lines would hide the point of the box

using posixfile::native;

// A folder to make and replace files in: write and search. Only one that is there.
bool folderFails(const QString &path)
{
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return ::access(native(path).constData(), W_OK | X_OK) != 0;
}

// A regular file of its own (a link is not followed) that this account may not use in this way.
bool fileFails(const QString &path, int how)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return ::access(native(path).constData(), how) != 0;
}

QString line(const Problem &p)
{
    switch (p.kind) {
    case Problem::FolderNotWritable:
        return QStringLiteral("・フォルダ「%1」に書きこめません").arg(p.path);
    case Problem::FileNotReadable:
        return QStringLiteral("・「%1」を読めません").arg(p.path);
    case Problem::FileNotWritable:
        break;
    }
    return QStringLiteral("・「%1」に書きこめません").arg(p.path);
}
} // namespace

QList<Problem> problems()
{
    // Named inside the room: the box names the room itself once, above the list.
    const Classroom &room = Classroom::inUse();
    const auto inRoom = [&room](const QString &path) { return QDir(room.root()).relativeFilePath(path); };
    QList<Problem> found;
    const QString settingsFolder = QFileInfo(settings::settingsPath()).path();
    for (const QString &folder : {userstore::folder(), settingsFolder})
        if (folderFails(folder))
            found.append({Problem::FolderNotWritable, inRoom(folder)});
    if (fileFails(settings::settingsPath(), R_OK))
        found.append({Problem::FileNotReadable, inRoom(settings::settingsPath())});
    QStringList users = userstore::listUsers();
    std::sort(users.begin(), users.end());
    for (const QString &name : std::as_const(users))
        // The pace file beside the history too: a drill never stops for it, so this box is where
        // the school hears that its lines are not being kept.
        for (const QString &path : {userstore::recordPath(name), userstore::pacePath(name)})
            if (fileFails(path, W_OK))
                found.append({Problem::FileNotWritable, inRoom(path)});
    return found;
}

QString message(const QList<Problem> &problems, const QString &classroom)
{
    if (problems.isEmpty())
        return QString();
    QStringList lines{QStringLiteral("このアカウントでは、教室のフォルダ「%1」の一部が使えません。").arg(classroom)};
    for (int i = 0; i < problems.size() && i < kListed; ++i)
        lines << line(problems[i]);
    if (problems.size() > kListed)
        lines << QStringLiteral("・ほか %1 件").arg(problems.size() - kListed);
    lines << QStringLiteral("このままでは、きろくがのこらないことがあります。")
          << QStringLiteral("学校の IT 担当の方に直してもらってください。");
    return lines.join(QLatin1Char('\n'));
}

} // namespace accesscheck
