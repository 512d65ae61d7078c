#pragma once
// The certificate's rules, apart from its painting: a child's latest pass, the texts printed on the
// page and said around it, and what must hold before a certificate is made. The classroom folder is
// only read.
#include "base/classroom.h"
#include "records/overview.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace certificate {

struct Pass {
    QString name;
    overview::GradeStep grade = overview::kNoGrade;
    QDate date;
    QString group; // the child's 組, or empty
};

// The child's latest pass: the last drill line of the history (header included) whose verdict is
// 合格; damaged lines take no part. Nothing when the child has never passed.
std::optional<Pass> latestPass(const QString &name, const QStringList &lines);

// The certificate's texts, as printed.
QString nameLine(const Pass &p);  // "たろう さん", "1組　たろう さん" with a 組
QString gradeLine(const Pass &p); // "３級 合格"
QString dateLine(const Pass &p);  // "2026年12月7日"

// The default file name, "合格証-<name>.pdf".
QString defaultFileName(const QString &name);
// What a child without a pass is told: "はなこさんにはまだ合格した級がありません。"
QString noPass(const QString &name);

// Before the teacher chooses where: what to tell instead of asking (no name chosen, no pass yet), or
// an empty text. IoError when the history cannot be read.
QString beforeChoosing(const QString &name);

// A certificate of the registered child `name` of the classroom (the working folder) into `file`:
// the refusal (a place inside the classroom or through a link, a name no child has), or the pass to
// print (nothing when the child has none). IoError on any failure of reading.
struct Made {
    std::optional<Pass> pass;
    QString refusal;
};
Made prepare(const Classroom &classroom, const QString &name, const QString &file);

} // namespace certificate
