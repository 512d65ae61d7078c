#include "shell/dialogs.h"

#include "platform/sound.h"
#include "shell/app.h"

#include <QMessageBox>

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

bool show(Kind kind, const QString &title, const QString &text)
{
    if (hook())
        return hook()({kind, title, text});
    // Owned by the screen it speaks for, so a window manager keeps it above that screen.
    QMessageBox box(App::instance() ? App::instance()->boxOwner() : nullptr);
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
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return true;
}
} // namespace

void setHook(Hook h) { hook() = std::move(h); }

void errorBox(const QString &text) { show(Kind::Error, App::title(), text); }

void warn(const QString &text)
{
    sound::play(sound::Cue::Exclamation);
    show(Kind::Warning, QStringLiteral("警告"), text);
}

void inform(const QString &text) { show(Kind::Info, App::title(), text); }

void informDeleted(const QString &text)
{
    sound::play(sound::Cue::Information);
    show(Kind::Deleted, style::programTitle(), text);
}

bool ask(const QString &caption, const QString &text) { return show(Kind::Question, caption, text); }

} // namespace dialogs
