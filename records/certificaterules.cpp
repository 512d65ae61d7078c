#include "records/certificaterules.h"

#include "base/errors.h"
#include "platform/outputfile.h"
#include "users/groups.h"
#include "users/userstore.h"

namespace certificate {

std::optional<Pass> latestPass(const QString &name, const QStringList &lines)
{
    for (qsizetype i = lines.size() - 1; i >= 1; --i) {
        const std::optional<overview::Drill> d = overview::parseDrill(lines[i]);
        if (d && d->passed)
            return Pass{name, d->grade, d->date, QString()};
    }
    return std::nullopt;
}

QString nameLine(const Pass &p)
{
    return (p.group.isEmpty() ? QString() : p.group + QStringLiteral("　")) + p.name + QStringLiteral(" さん");
}
QString gradeLine(const Pass &p) { return overview::gradeText(p.grade) + QStringLiteral(" 合格"); }
QString dateLine(const Pass &p)
{
    return QStringLiteral("%1年%2月%3日").arg(p.date.year()).arg(p.date.month()).arg(p.date.day());
}

QString defaultFileName(const QString &name) { return QStringLiteral("合格証-%1.pdf").arg(name); }

QString noPass(const QString &name) { return QStringLiteral("%1さんにはまだ合格した級がありません。").arg(name); }

QString beforeChoosing(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("合格証を作る名前を選んでください。");
    // A child with no pass has nothing to save.
    if (!latestPass(name, userstore::readHistory(name)))
        return noPass(name);
    return QString();
}

Made prepare(const Classroom &classroom, const QString &name, const QString &file)
{
    // Refused before anything is read: the classroom holds only the program's own files.
    if (QString refused = outputfile::refusal(classroom, file, "%PDF-"); !refused.isEmpty())
        return {std::nullopt, refused};
    if (!userstore::listUsers().contains(name))
        return {std::nullopt, QStringLiteral("「%1」という名前の人は登録されていません。").arg(pz::quoted(name))};
    std::optional<Pass> pass = latestPass(name, userstore::readHistory(name));
    if (pass)
        pass->group = groups::of(name);
    return {pass, QString()};
}

} // namespace certificate
