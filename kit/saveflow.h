#pragma once
// Saving one of the teacher's files (a CSV export, a certificate, a paper of a class set): where, in a
// save dialog that starts in the home folder; the writing, which goes through the outputs' guard
// (platform/outputfile.h); then a 警告 with the refusal or a box saying what was saved. A cancelled
// dialog writes and says nothing. Tests answer the dialog through the chooser instead.
#include <QString>
#include <functional>

class QWidget;

namespace saveflow {

struct Dialog {
    QString caption;  // the dialog's title: "合格証"
    QString fileName; // offered in the home folder: "合格証-たろう.pdf"
    QString filter;   // "PDF (*.pdf)"
};

// What writing `file` came to: the refusal to warn with (nothing written), or else the text that says
// what was done (a file saved, or why there was nothing to save).
struct Outcome {
    QString refusal;
    QString said;
};
using Writer = std::function<Outcome(const QString &file)>;

// Asks where, has `write` write there and says how it went. Returns the chosen file, "" when the
// dialog was cancelled. A failure of the file system (IoError) goes on to the caller's guard.
QString save(QWidget *parent, const Dialog &dialog, const Writer &write);

// Tests answer the save dialog here: given the suggested path, the chosen one ("" cancels); {} puts
// the dialog back.
using Chooser = std::function<QString(const QString &suggested)>;
void setChooser(Chooser chooser);

} // namespace saveflow
