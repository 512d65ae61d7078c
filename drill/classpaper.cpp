#include "drill/classpaper.h"

#include "drill/classsheet.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "platform/outputfile.h"

#include <QDir>
#include <QFileDialog>

namespace classpaper {

QString title(Paper paper) { return paper == Paper::AnswerKey ? QStringLiteral("答え") : QStringLiteral("解答用紙"); }

QString fileName(Paper paper, const classset::ClassSet &set)
{
    return paper == Paper::AnswerKey ? classsheet::answerKeyFileName(set) : classsheet::answerSheetFileName(set);
}

QString write(const Classroom &classroom, Paper paper, const classset::ClassSet &set, const QString &file)
{
    // Refused before the page is painted: nothing is made for a place that may not have it.
    if (QString refused = outputfile::refusal(classroom, file); !refused.isEmpty())
        return refused;
    const QByteArray bytes = paper == Paper::AnswerKey ? classsheet::answerKeyPdf(set) : classsheet::answerSheetPdf(set);
    return outputfile::save(classroom, file, bytes);
}

namespace {
std::function<QString(const QString &)> &chooser()
{
    static std::function<QString(const QString &)> c;
    return c;
}
} // namespace

void setChooser(std::function<QString(const QString &suggested)> c) { chooser() = std::move(c); }

void save(QWidget *parent, Paper paper, const classset::ClassSet &set)
{
    const QString suggested = QDir::home().filePath(fileName(paper, set));
    const QString file = chooser() ? chooser()(suggested)
                                   : QFileDialog::getSaveFileName(parent, title(paper), suggested, QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty())
        return;
    if (const QString refused = write(App::instance()->state().classroom, paper, set, file); !refused.isEmpty()) {
        dialogs::warn(refused);
        return;
    }
    dialogs::inform(QStringLiteral("「%1」（%2）を保存しました。\n%3").arg(title(paper), classset::heading(set), file));
}

} // namespace classpaper
