#pragma once
// 合格証: a one-page A4 certificate of a child's latest pass, written as a PDF where the teacher
// chooses. The classroom folder is only read; nothing is ever written inside it.
#include "records/certificaterules.h"

#include <QString>
#include <functional>

class QWidget;

namespace certificate {

// Paints the page and writes it to `file` all at once (platform/outputfile.h): returns the refusal
// of the place, or an empty text; an old file of that name stays as it was on any failure, which
// is an IoError naming the file.
QString writePdf(const Classroom &classroom, const Pass &pass, const QString &file);

// The certificate prepared (records/certificaterules.h) and, when there is a pass, written: the pass written,
// or nothing when the child has none (no file is written), or the refusal. IoError on any failure
// of reading or writing.
Made make(const Classroom &classroom, const QString &name, const QString &file);

// 合格証 on the screens: asks where (a save dialog, by default 合格証-<name>.pdf in the home folder)
// and writes it, or says that the child has no pass yet. Nothing happens for a cancelled dialog;
// an empty name (none chosen) is said too; failures are thrown to the caller's guard.
void save(QWidget *parent, const QString &name);

} // namespace certificate
