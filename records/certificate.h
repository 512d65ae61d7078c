#pragma once
// 合格証: a one-page A4 certificate of a child's latest pass, written as a PDF where the teacher
// chooses. The classroom folder is only read; nothing is ever written inside it.
#include "records/overview.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace certificate {

struct Pass {
    QString name;
    overview::GradeStep grade = overview::kNoGrade;
    QDate date;
};

// The child's latest pass: the last drill line of the history (header included) whose verdict is
// 合格; damaged lines take no part. Nothing when the child has never passed.
std::optional<Pass> latestPass(const QString &name, const QStringList &lines);

// The certificate's texts, as printed.
QString nameLine(const Pass &p);  // "たろう さん"
QString gradeLine(const Pass &p); // "３級 合格"
QString dateLine(const Pass &p);  // "2026年12月7日"

// The default file name, "合格証-<name>.pdf".
QString defaultFileName(const QString &name);
// What a child without a pass is told: "はなこさんにはまだ合格した級がありません。"
QString noPass(const QString &name);

// Paints the page and writes it to `file` all at once (platform/outputfile.h): returns the refusal
// of the place, or an empty text; an old file of that name stays as it was on any failure, which
// is an IoError naming the file.
QString writePdf(const Pass &pass, const QString &file);

// The certificate of the registered child `name` of the classroom (the working folder) into
// `file`: the pass written, or nothing when the child has none (no file is written), or the refusal
// of the place (inside the classroom, a link). IoError when no such child is registered, or on any
// failure of reading or writing.
struct Made {
    std::optional<Pass> pass;
    QString refusal;
};
Made make(const QString &name, const QString &file);

// 合格証 on the screens: asks where (a save dialog, by default 合格証-<name>.pdf in the home folder)
// and writes it, or says that the child has no pass yet. Nothing happens for a cancelled dialog;
// an empty name (none chosen) is said too; failures are thrown to the caller's guard.
void save(QWidget *parent, const QString &name);
// Tests answer the save dialog here instead: given the suggested path, the chosen one ("" cancels).
void setChooser(std::function<QString(const QString &suggested)> chooser);

} // namespace certificate
