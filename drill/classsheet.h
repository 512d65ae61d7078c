#pragma once
// The paper of みんなでフラッシュ: 「解答用紙」, the children's answer sheet, and 「答え」, the teacher's
// key, each one A4 page as PDF bytes. The bytes are made in memory, so the caller writes them whole
// or not at all, where the outputs may go.
#include "drill/classset.h"

#include <QByteArray>
#include <QString>

namespace classsheet {

// The grade and the set number, then as many children's sheets as fit the questions (two columns:
// four of a three-question set, two of ten), each with 名前, 日付, 点数 and one numbered box per
// question, to be cut apart.
QByteArray answerSheetPdf(const classset::ClassSet &set);
int sheetsPerPage(int questions);
// The grade, the set number, the grade's settings and one line per question (classset::keyLine).
// Long questions wrap and the type shrinks so that every line stays on the one page.
QByteArray answerKeyPdf(const classset::ClassSet &set);

// The names offered when saving: "解答用紙-１０級-0042.pdf", "答え-１０級-0042.pdf".
QString answerSheetFileName(const classset::ClassSet &set);
QString answerKeyFileName(const classset::ClassSet &set);

} // namespace classsheet
