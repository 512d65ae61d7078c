#pragma once
// The program's message boxes, so that every screen says things the same way. Tests install a hook
// that records what would be shown (and answers questions) instead of opening a modal box.
#include <QFont>
#include <QString>
#include <functional>

namespace dialogs {

enum class Kind {
    Error,    // the standard error report: application title, error icon
    Warning,  // wrong input: exclamation sound, "警告", error icon
    Info,     // a completed action: application title, no icon
    Deleted,  // a deletion: information sound, "検定用ぴかざん", information icon
    Question, // yes/no, question icon; the hook's answer is the user's
};

struct Shown {
    Kind kind;
    QString title;
    QString text;
    // What Enter or Space in the box would answer. A question's is always no: a teacher going on
    // with the lesson by Enter or Space must never end something by it.
    bool yesByDefault = false;
};
using Hook = std::function<bool(const Shown &)>;
void setHook(Hook hook);

// The text as a box shows it: cut to a few hundred characters and lines, with places to break a
// long run, so that no box is larger than the 800x600 screen whatever a damaged file holds.
QString fitText(const QString &text);

// The type of every box: the program's own, large enough to read beside its screens.
QFont boxFont();

void errorBox(const QString &text);
void warn(const QString &text);
void inform(const QString &text);
void informDeleted(const QString &text);
bool ask(const QString &caption, const QString &text);

} // namespace dialogs
