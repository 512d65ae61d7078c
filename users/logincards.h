#pragma once
// The login cards of children just registered from a list: one A4 page, a card each with the name,
// the password and the 組, for the teacher to cut out and hand round. Written where the teacher
// chooses, through the outputs' guard; nothing is ever written inside the classroom.
#include "users/roster.h"

#include <QList>
#include <QString>

class Classroom;
class QWidget;

namespace logincards {

struct Card {
    QString name, password, group;
};

// The cards of the plan's new children, in the list's order.
QList<Card> cardsOf(const roster::Plan &plan);

// How the cards are set on the page: columns by rows, enough for n cards (three across for a class).
struct Grid {
    int columns = 0, rows = 0;
};
Grid gridFor(int n);

// Paints the page and writes it to `file` all at once: the refusal of the place, or an empty text;
// an IoError naming the file on a failure, the old file whole.
QString writePdf(const Classroom &classroom, const QList<Card> &cards, const QString &file);

// Asks where (a save dialog, ログインカード.pdf in the home folder) and writes the cards there.
// Returns whether they were saved.
bool save(QWidget *parent, const QList<Card> &cards);

} // namespace logincards
