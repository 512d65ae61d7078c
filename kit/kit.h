#pragma once
// The parts every screen repeats, made once: key handlers in the program's KeyPress style, timers,
// and the buttons as rows of a table. A screen is then mostly a table of its controls and handlers
// that read like the algorithm.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>
#include <functional>
#include <initializer_list>
#include <vector>

class ClickLabel;
class Picture;
class QLineEdit;
class QListWidget;
class QTimer;
class QObject;
class QWidget;
class TCuteButton;

namespace kit {

// --- keys ---------------------------------------------------------------------------------------

// The character codes a KeyPress handler sees.
inline constexpr int kBackspace = 8;
inline constexpr int kEnter = 13;
// A key that typed more than one character at once (an input method's commit): no filter takes it.
inline constexpr int kSeveral = 0xFFFF;

// A field's key handler: `key` is the typed character's code (kEnter for Enter, kBackspace for
// Backspace, Ctrl+C is 3 …); setting it to 0 consumes the key, so it never reaches the field.
using KeyPress = std::function<void(int &key)>;

// Routes the key presses of `field` to `handler` before the field sees them. Keys that type nothing
// (arrows, Home, End, Delete, function keys) go to the field untouched. Enter reaches the handler
// even when the keyboard delivers it without text. A handler that fails consumes its key, and the
// error is reported once.
void onKeyPress(QWidget *field, KeyPress handler);

// A new password typed twice into two hidden fields. Enter in `first` asks `firstTyped` about its
// text: true moves the keyboard to `second`; false leaves it (the handler has warned, or finished
// by itself). Enter in `second` runs `submit`. Both Enters are used up; other keys reach the field.
void passwordTwice(QLineEdit *first, QLineEdit *second, std::function<bool(const QString &typed)> firstTyped,
                   std::function<void()> submit);

// Whether `second` holds what `first` holds. If not, both are emptied, `first` gets the keyboard
// and the user is asked to type it again.
bool sameTwice(QLineEdit *first, QLineEdit *second);

// --- fields and lists ---------------------------------------------------------------------------

enum class Echo {
    Plain,  // typed text shown as it is
    Masked, // each character shown as '*'
};
enum class InputMethod { On, Off };
enum class Slant { Upright, Italic };

// A one-line field named `name`, black bold type of px pixels. A password field is masked and takes
// no input method (a password is typed as plain characters, never composed).
QLineEdit *field(QWidget *parent, const char *name, const QRect &geometry, int px, Echo echo = Echo::Plain,
                 InputMethod im = InputMethod::On, Slant slant = Slant::Upright);

// A single-selection, unsorted list of names, black bold type of px pixels, every row rowHeight
// pixels high whatever the font's own line height. While no name is chosen none is current, so the
// first Down or Up chooses the first name.
QListWidget *nameList(QWidget *parent, const char *name, const QRect &geometry, int px, int rowHeight);

// --- timers -------------------------------------------------------------------------------------

enum class Timing {
    Coarse,  // Qt's default; fine where nobody can see the delay (a deferred fill)
    Precise, // a delay the user sees or waits for (splash, briefing, countdown, verdict)
};

// A stopped, repeating timer named `name` (its control name), owned by `owner`, whose ticks run
// `onTimer` under the error guard. Like the program's timers it repeats until its handler stops it.
QTimer *timer(QObject *owner, const char *name, int intervalMs, Timing timing, std::function<void()> onTimer);

// --- rows of buttons ----------------------------------------------------------------------------

// A control of a table row: its control name and the screen's member that is to hold it (none where
// the screen keeps no handle on it). The row says which member it fills, so no second list of
// members has to stay in step with the table.
template <class W>
struct Member {
    const char *name; // the control name, "Label21"
    W **into = nullptr;
};

// One button of a screen's table: a picture (our white artwork of `art` size) and a caption lying
// over it. The caption acts on a left click, the picture as soon as one of `pictureButtons` goes down
// on it. An empty action gives a button that shows the hand cursor and does nothing.
struct ButtonRow {
    Member<ClickLabel> label;
    Member<Picture> picture;
    QString text;
    QPoint labelAt;
    QPoint pictureAt;
    QSize art;
    int px = 24;
    Qt::MouseButtons pictureButtons = Qt::AllButtons;
    std::function<void()> action;
};

// Builds the rows on `parent`: every picture first, so each caption lies over its picture, then the
// captions; wires both to the row's action through the error guard and stores each control in the
// member its row names.
void buttons(QWidget *parent, std::initializer_list<ButtonRow> rows);
void buttons(QWidget *parent, const std::vector<ButtonRow> &rows);

// One bevelled push button (TCuteButton) of a row: a white face with a single border, a black bold
// caption of px pixels, the hand cursor and no focus rectangle. The button reports a failing click
// handler itself, so `onClick` runs without a further guard.
struct CuteButtonRow {
    Member<TCuteButton> button;
    QString caption;
    QRect geometry;
    int px = 24;
    std::function<void(QObject *sender)> onClick;
};

// Builds the rows on `parent`, in table order (which is also their place in the tab order unless the
// screen sets its own), and stores each button in the member its row names.
void cuteButtons(QWidget *parent, std::initializer_list<CuteButtonRow> rows);

} // namespace kit
