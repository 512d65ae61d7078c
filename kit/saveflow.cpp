#include "kit/saveflow.h"

#include "kit/dialogs.h"

#include <QDir>
#include <QFileDialog>

namespace saveflow {

namespace {
Chooser &chooser()
{
    static Chooser c;
    return c;
}
} // namespace

void setChooser(Chooser c) { chooser() = std::move(c); }

QString save(QWidget *parent, const Dialog &dialog, const Writer &write)
{
    const QString suggested = QDir::home().filePath(dialog.fileName);
    const QString file = chooser() ? chooser()(suggested)
                                   : QFileDialog::getSaveFileName(parent, dialog.caption, suggested, dialog.filter);
    if (file.isEmpty())
        return file;
    const Outcome outcome = write(file);
    if (!outcome.refusal.isEmpty())
        dialogs::warn(outcome.refusal);
    else
        dialogs::inform(outcome.said);
    return file;
}

} // namespace saveflow
