#include "drill/classpaper.h"

#include "base/classroom.h"
#include "drill/classsheet.h"
#include "kit/app.h"
#include "kit/saveflow.h"
#include "platform/outputfile.h"


namespace classpaper {

QString title(Paper paper) { return paper == Paper::AnswerKey ? QStringLiteral("答え") : QStringLiteral("解答用紙"); }

QString fileName(Paper paper, const classset::ClassSet &set)
{
    return paper == Paper::AnswerKey ? classsheet::answerKeyFileName(set) : classsheet::answerSheetFileName(set);
}

QString write(const Classroom &classroom, Paper paper, const classset::ClassSet &set, const QString &file)
{
    // Refused before the page is painted: nothing is made for a place that may not have it.
    if (QString refused = outputfile::refusal(classroom, file, "%PDF-"); !refused.isEmpty())
        return refused;
    const QByteArray bytes = paper == Paper::AnswerKey ? classsheet::answerKeyPdf(set) : classsheet::answerSheetPdf(set);
    return outputfile::save(classroom, file, bytes, "%PDF-");
}

void save(QWidget *parent, Paper paper, const classset::ClassSet &set)
{
    saveflow::save(parent, {title(paper), fileName(paper, set), QStringLiteral("PDF (*.pdf)")},
                   [&](const QString &file) -> saveflow::Outcome {
                       return {write(Classroom::inUse(), paper, set, file),
                               QStringLiteral("「%1」（%2）を保存しました。\n%3").arg(title(paper), classset::heading(set), file)};
                   });
}

} // namespace classpaper
