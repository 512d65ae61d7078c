#include "records/csvexport.h"

#include "base/errors.h"
#include "platform/textfile.h"
#include "records/rowsplit.h"
#include "users/userstore.h"

#include <QDir>
#include <QFileInfo>

namespace csvexport {

QString header() { return QStringLiteral("名前,") + userstore::recordHeader(); }

QString quoted(QStringView field)
{
    const bool needs = field.contains(u',') || field.contains(u'"') || field.contains(u'\r') || field.contains(u'\n');
    if (!needs)
        return field.toString();
    QString out = QStringLiteral("\"");
    for (QChar c : field) {
        if (c == u'"')
            out += c;
        out += c;
    }
    return out + QLatin1Char('"');
}

QStringList lines(const std::vector<History> &histories)
{
    QStringList out{header()};
    for (const History &h : histories) {
        const QString name = quoted(h.first);
        for (qsizetype i = 1; i < h.second.size(); ++i) {
            if (h.second[i].trimmed().isEmpty())
                continue;
            const rowsplit::Row cells = rowsplit::splitRow(h.second[i]);
            QString row = name;
            for (const QString &cell : cells) {
                QString kept = cell;
                kept.replace(textfile::kNoCharacter, QStringLiteral("〓"));
                row += QLatin1Char(',') + quoted(kept);
            }
            out << row;
        }
    }
    return out;
}

std::vector<History> readClassroom()
{
    std::vector<History> all;
    for (const QString &name : userstore::listUsers())
        all.emplace_back(name, userstore::readHistory(name));
    return all;
}

namespace {
// The folder a file would be written in, as the system finally resolves it (links included).
QString resolvedFolder(const QString &file)
{
    const QFileInfo info(QDir::current().absoluteFilePath(file));
    const QString canonical = QFileInfo(info.absolutePath()).canonicalFilePath();
    return canonical.isEmpty() ? info.absolutePath() : canonical;
}
} // namespace

Written exportClassroom(const QString &file)
{
    const QString room = QDir::current().canonicalPath();
    const QString folder = resolvedFolder(file);
    // The classroom holds only the program's own files: a CSV named *.dat in user/ would even be
    // listed as a child.
    if (folder == room || folder.startsWith(room + QLatin1Char('/')))
        throw pz::IoError(file, QStringLiteral("教室フォルダの中には保存できません。別の場所を選んでください"));
    const std::vector<History> all = readClassroom();
    const QStringList out = lines(all);
    textfile::rewrite(file, out);
    return {int(all.size()), int(out.size() - 1)};
}

QString defaultFileName(const QDate &day)
{
    return QStringLiteral("きろく-%1.csv").arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

} // namespace csvexport
