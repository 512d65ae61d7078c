#include "kit/dialogs.h"

#include "platform/sound.h"
#include "kit/screenmodel.h"
#include "kit/style.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace dialogs {

QString fitText(const QString &text)
{
    // Budgets for an 800x600 screen: a box wraps its text at about half the screen's width, and a
    // text of more lines than this would push its OK button below the screen.
    constexpr int kMaxLines = 10, kMaxLineChars = 120, kMaxChars = 300, kMaxRun = 40;
    const QChar ellipsis(0x2026);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kMaxLines) {
        lines.resize(kMaxLines - 1);
        lines << QString(ellipsis);
    }
    QString out;
    int total = 0;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        line.replace(QLatin1Char('\r'), QLatin1Char(' ')); // CR-only line ends: keep the values apart
        const bool last = total + qMin<qsizetype>(line.size(), kMaxLineChars) > kMaxChars;
        const int keep = last ? kMaxChars - total : kMaxLineChars;
        if (line.size() > keep)
            line = line.left(keep) + ellipsis;
        total += line.size();
        // A long run without a break (a path, a damaged line) may wrap after every kMaxRun
        // characters instead of widening the box past the screen.
        int run = 0;
        for (QChar c : line) {
            run = c.isSpace() || c.unicode() >= 0x3000 ? 0 : run + 1;
            out += c;
            if (run == kMaxRun) {
                out += QChar(0x200B); // zero-width space: a place to break
                run = 0;
            }
        }
        if (last)
            break;
        if (i + 1 < lines.size())
            out += QLatin1Char('\n');
    }
    return out;
}

namespace {
Hook &hook()
{
    static Hook h;
    return h;
}

// The width a window needs for its whole title on a window manager's title bar. Qt allows
// for a title in its own font and a few pixels of frame; a title bar has a bold font (about the
// size of the desktop's ordinary text) and buttons (a menu icon on one side, minimise, maximise and
// close on the other), and many window managers centre the title over the whole bar, so the
// buttons' width is kept free on both sides. Without this a short box ("保存しました") shows its
// title as "検… ん" beside openbox.
int titleRoom(const QString &title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics fm(font);
    const int button = fm.height() + 4; // a square button about one line high, with its gap
    return fm.horizontalAdvance(title) + 2 * 3 * button;
}

// A question's answer to Enter and Space: the one that changes nothing.
constexpr QMessageBox::StandardButton kQuestionDefault = QMessageBox::No;

bool show(Kind kind, const QString &title, const QString &text)
{
    if (hook())
        return hook()({kind, title, text, kind == Kind::Question && kQuestionDefault == QMessageBox::Yes});
    // On the way out nobody is asked anything: a question counts as answered "no".
    if (ScreenModel::current() && ScreenModel::current()->ending())
        return false;
    // Owned by the screen it speaks for, so a window manager keeps it above that screen.
    QMessageBox box(ScreenModel::current() ? ScreenModel::current()->boxOwner() : nullptr);
    box.setFont(boxFont());
    box.setWindowTitle(title);
    // Never larger than the screen: a damaged file's text is cut, not shown whole.
    box.setTextFormat(Qt::PlainText); // a file's text is never taken for markup
    box.setText(fitText(text));
    // Above the program's always-on-top screens.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    switch (kind) {
    case Kind::Error:
    case Kind::Warning:
        box.setIcon(QMessageBox::Critical);
        break;
    case Kind::Info:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Kind::Deleted:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Question:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(kQuestionDefault);
        break;
    }
    if (kind != Kind::Question)
        box.setStandardButtons(QMessageBox::Ok);
    // The box takes its grid's minimum width: an empty row as wide as the title needs widens it.
    // Added last, because setting the icon lays the grid out anew.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(titleRoom(title), 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    const int answer = box.exec();
    return kind != Kind::Question || answer == QMessageBox::Yes;
}
} // namespace

void setHook(Hook h) { hook() = std::move(h); }

QFont boxFont() { return style::font(20); }

void errorBox(const QString &text) { show(Kind::Error, style::programTitle(), text); }

void warn(const QString &text)
{
    sound::play(sound::Cue::Exclamation);
    show(Kind::Warning, QStringLiteral("警告"), text);
}

void inform(const QString &text) { show(Kind::Info, style::programTitle(), text); }

void informDeleted(const QString &text)
{
    sound::play(sound::Cue::Information);
    show(Kind::Deleted, style::programTitle(), text);
}

bool ask(const QString &caption, const QString &text) { return show(Kind::Question, caption, text); }

} // namespace dialogs
