#include "drill/kotaeinput.h"
#include "drill/drillsession.h"

#include "drill/drillrules.h"
#include "drill/kotae.h"
#include "drill/option.h"
#include "drill/start.h"
#include "drill/success.h"
#include "base/errors.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QValidator>

namespace {
// Keeps everything but an answer with a 32-bit value out of the field, whichever way it comes
// (typed, pasted, dropped, composed): digits only, never above 2147483647. Over-long text is refused
// whole; the field has no length limit of its own, which would cut it to a number nobody typed.
class AnswerValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        if (input.isEmpty())
            return Intermediate;
        return drillrules::isAcceptableInput(input) ? Acceptable : Invalid;
    }
};
} // namespace

TForm5::TForm5()
    : Screen({.title = QStringLiteral("input"), .kind = Kind::Panel, .size = QSize(330, 127)})
{
}

void TForm5::FormCreate()
{
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("１問目"), {40, 10}, 16, Qt::white);
    Edit1 = kit::field(this, "Edit1", {56, 32, 209, 72}, 64, kit::Echo::Plain, kit::InputMethod::Off,
                       kit::Slant::Italic); // numbers only: no input method
    Edit1->setValidator(new AnswerValidator(Edit1));
    kit::onKeyPress(Edit1, [this](int &key) { Edit1KeyPress(key); });
    // The flash screen, made before this box, calls for it after each question; its close reset
    // asks for question 1 again.
    connect(screens().flashScreen, &TForm2::answerWanted, this, pz::guarded([this] { Show(); }));
    connect(screens().flashScreen, &TForm2::drillReset, this,
            pz::guarded([this] { setQuestionCaption(QStringLiteral("1問目")); }));
    setFocusProxy(Edit1);
    Edit1->setFocus();
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("答えを入力してENTERを押して下さい"),
                       {56, 112}, 13, Qt::white);
}

void TForm5::FormShow()
{
    setMainMenuEnabled(false);
    screens().gradeSelection->setEnabled(false);
}

void TForm5::FormActivate()
{
    Edit1->clear();
    Edit1->setFocus();
    screens().flashScreen->setEnabled(false); // clicks on the blank flash screen do nothing meanwhile
}

void TForm5::setQuestionCaption(const QString &text)
{
    Label2->setText(text);
    Label2->adjustSize();
}

void TForm5::Edit1KeyPress(int &key)
{
    if (key == kit::kEnter) {
        key = 0;
        acceptAnswer();
        return;
    }
    // Every other character, Ctrl+letter included, is swallowed.
    if (key != kit::kBackspace && (key < '0' || key > '9'))
        key = 0;
}

void TForm5::acceptAnswer()
{
    TForm2 *flash = screens().flashScreen;
    if (!App::instance()->isOpen(flash)) {
        // The flash screen was closed under the box (the window system's close reaches it even
        // disabled), which abandoned the drill: there is no question to judge and nothing to re-arm.
        Close();
        return;
    }
    const QString typed = Edit1->text();
    if (typed.isEmpty())
        return;
    if (!drillrules::answerValue(typed)) {
        // Only text put in by the program itself can get here; the field keeps everything else out.
        // The drill goes on with the same question.
        Edit1->clear();
        dialogs::warn(QStringLiteral("答えは数字で入力して下さい"));
        return;
    }
    // Counted, judged and kept first: the flash screen's activation below reads the count.
    const DrillSession::Answered step =
        state().drill->answered(typed, {state().userName, state().gradeName, screens().resultSheet->today(),
                                      QTime::currentTime()});
    flash->setEnabled(true);
    setQuestionCaption(QStringLiteral("%1問目").arg(step.nextQuestion));
    flash->Rearm();
    Hide(); // the flash screen becomes active again and counts down (silently after the tenth)
    if (step.over) {
        Close(); // also closes the flash screen, which ends the drill
        screens().verdictBanner->present(step.verdict, drillrules::verdictLeft(step.verdict));
    }
    Edit1->clear();
}

void TForm5::FormCloseQuery()
{
    setMainMenuEnabled(true);
    screens().gradeSelection->setEnabled(true);
    // The counts go with the drill, which the flash screen's close below ends.
    setQuestionCaption(QStringLiteral("1問目"));
    screens().flashScreen->setEnabled(true);
    screens().flashScreen->Close();
}
