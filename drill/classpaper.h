#pragma once
// みんなでフラッシュ's paper saved where the teacher chooses: 「解答用紙」 and 「答え」 of a set, each
// through the outputs' guard (never into the classroom, never through a link, whole or not at all).
#include "base/classroom.h"
#include "drill/classset.h"

#include <QByteArray>
#include <QString>

class QWidget;

namespace classpaper {

enum class Paper { AnswerSheet, AnswerKey };

QString title(Paper paper);                                   // "解答用紙", "答え"
QString fileName(Paper paper, const classset::ClassSet &set); // "答え-１０級-0042.pdf"

// Writes the paper of `set` as `file`: the refusal of the place (nothing written), or an empty
// text once the file is in place. IoError on a failure of the file system, an old file whole.
QString write(const Classroom &classroom, Paper paper, const classset::ClassSet &set, const QString &file);

// Asks where (kit/saveflow.h; by default the paper's name in the home folder) and writes it there;
// a refusal is said as a 警告, a cancelled dialog does nothing, a failure goes to the caller's guard.
void save(QWidget *parent, Paper paper, const classset::ClassSet &set);

} // namespace classpaper
