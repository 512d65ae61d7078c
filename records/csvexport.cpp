#include "records/csvexport.h"

#include "base/errors.h"
#include "platform/outputfile.h"
#include "platform/textfile.h"
#include "records/rowsplit.h"
#include "users/groups.h"
#include "users/userstore.h"


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

QString defused(QStringView cell)
{
    static const QString starts = QStringLiteral("=+-@\t\r");
    if (!cell.isEmpty() && starts.contains(cell.front()))
        return QLatin1Char('\'') + cell.toString();
    return cell.toString();
}

QStringList lines(const std::vector<History> &histories)
{
    QStringList out{header()};
    for (const History &h : histories) {
        const QString name = quoted(defused(h.first));
        for (qsizetype i = 1; i < h.second.size(); ++i) {
            if (h.second[i].trimmed().isEmpty())
                continue;
            const rowsplit::Row cells = rowsplit::splitRow(h.second[i]);
            QString row = name;
            for (const QString &cell : cells) {
                QString kept = cell;
                kept.replace(textfile::kNoCharacter, QStringLiteral("〓"));
                row += QLatin1Char(',') + quoted(defused(kept));
            }
            out << row;
        }
    }
    return out;
}

std::vector<History> readClassroom(const QString &group)
{
    std::vector<History> all;
    const QHash<QString, QString> kumi = group.isEmpty() ? QHash<QString, QString>() : groups::read();
    for (const QString &name : userstore::listUsers())
        if (groups::shown(kumi, name, group))
            all.emplace_back(name, userstore::readHistory(name));
    return all;
}

Written exportClassroom(const Classroom &classroom, const QString &file, const QString &group)
{
    // Only an export of ours is replaced: it starts with this heading.
    const QByteArray ownStart = textfile::encode(header()) + "\r\n";
    // Refused before the histories are read: a wrong place is said at once, whatever they hold.
    if (QString refused = outputfile::refusal(classroom, file, ownStart); !refused.isEmpty())
        return {0, 0, refused};
    const std::vector<History> all = readClassroom(group);
    const QStringList out = lines(all);
    QByteArray bytes;
    for (const QString &line : out)
        bytes += textfile::encode(line) + "\r\n";
    if (QString refused = outputfile::save(classroom, file, bytes, ownStart); !refused.isEmpty())
        return {0, 0, refused};
    return {int(all.size()), int(out.size() - 1), QString()};
}

QString defaultFileName(const QDate &day)
{
    return QStringLiteral("きろく-%1.csv").arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

} // namespace csvexport
