#include "drill/classchoose.h"

#include "base/errors.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/kit.h"
#include "kit/style.h"
#include "kit/widgets.h"
#include "settings/rand.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>

namespace {
// The grades as the grade selection orders them, four columns of five, smaller: the right half of
// the screen holds the rest of the choice.
constexpr QSize kGradeArt(92, 66);
constexpr int kGradeLeft = 12, kGradeTop = 64, kGradeStepX = 94, kGradeStepY = 70;

QLabel *caption(QWidget *parent, const char *name, const QString &text, QPoint at, int px = 22)
{
    return makeLabel(parent, QString::fromLatin1(name), text, at, px, Qt::white);
}

QSpinBox *spin(QWidget *parent, const char *name, const QRect &geometry, int low, int high, int value)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(low, high);
    s->setValue(value);
    s->setGeometry(geometry);
    s->setFont(style::font(24, true));
    s->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    style::setColour(s, QPalette::Base, Qt::white);
    style::setColour(s, QPalette::Text, Qt::black);
    return s;
}

QRadioButton *radio(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *r = new QRadioButton(text, parent);
    r->setObjectName(QString::fromLatin1(name));
    r->setGeometry(geometry);
    r->setFont(style::font(20, true));
    style::setColour(r, QPalette::WindowText, Qt::white);
    // On the dark blue a small white disc reads as "on" whatever is drawn in it: the way not chosen
    // is an empty ring, the chosen one a yellow disc (the colour of the chosen grade's frame).
    r->setStyleSheet(QStringLiteral(
        "QRadioButton::indicator { width: 16px; height: 16px; border: 2px solid white; border-radius: 10px; background: transparent; }"
        "QRadioButton::indicator:checked { background: rgb(255, 255, 0); }"));
    return r;
}
} // namespace

TClassChoose::TClassChoose()
    : Screen({.title = QStringLiteral("みんなでフラッシュ"), .kind = Kind::FullScreen, .fontPx = 20})
{
}

void TClassChoose::FormCreate()
{
    Title = makeLabel(this, QStringLiteral("Title"), QStringLiteral("みんなでフラッシュ"), {12, 12}, 35, Qt::white);

    Chosen = new QFrame(this);
    Chosen->setObjectName(QStringLiteral("Chosen"));
    Chosen->setFrameShape(QFrame::Box);
    Chosen->setLineWidth(4);
    style::setColour(Chosen, QPalette::WindowText, QColor(255, 255, 0));
    Chosen->resize(kGradeArt + QSize(4, 4));

    std::vector<kit::ButtonRow> rows;
    std::vector<QByteArray> names; // the control names, alive while the rows are built
    names.reserve(40);
    for (GradeCode code = 1; code <= 20; ++code) {
        // 10級 … 1級 down the first two columns, 初段 … 十段 down the last two.
        const int at = code <= 10 ? 10 - code : code - 1;
        const QPoint pos(kGradeLeft + (at / 5) * kGradeStepX, kGradeTop + (at % 5) * kGradeStepY);
        const QString name = settings::gradeName(code);
        names.push_back("Grade" + QByteArray::number(code));
        names.push_back("GradeImage" + QByteArray::number(code));
        rows.push_back({{names[names.size() - 2].constData()}, {names.back().constData()}, name,
                        pos + QPoint(name.size() == 2 ? 18 : 12, 16), pos, kGradeArt, 28, Qt::AllButtons,
                        [this, code] { chooseGrade(code); }});
    }
    rows.push_back({{"StartLabel", &StartLabel}, {"StartImage"}, QStringLiteral("はじめる"), {440, 528}, {420, 510},
                    {180, 80}, 34, Qt::AllButtons, [this] { Start(); }});
    rows.push_back({{"BackLabel", &BackLabel}, {"BackImage"}, QStringLiteral("もどる"), {664, 532}, {640, 510},
                    {140, 80}, 28, Qt::AllButtons, [this] { Close(); }});
    rows.push_back({{"SheetLabel", &SheetLabel}, {"SheetImage"}, QStringLiteral("解答用紙"), {50, 470}, {12, 456},
                    {180, 64}, 26, Qt::AllButtons, [this] { SavePaper(classpaper::Paper::AnswerSheet); }});
    rows.push_back({{"KeyLabel", &KeyLabel}, {"KeyImage"}, QStringLiteral("答え"), {264, 470}, {200, 456},
                    {180, 64}, 26, Qt::AllButtons, [this] { SavePaper(classpaper::Paper::AnswerKey); }});
    rows.push_back({{"NewLabel", &NewLabel}, {"NewImage"}, QStringLiteral("新しい番号"), {646, 186}, {616, 172},
                    {170, 56}, 22, Qt::AllButtons, [this] { newSetNumber(); }});
    kit::buttons(this, rows);
    caption(this, "PaperCaption", QStringLiteral("プリント（PDF）"), {16, 426}, 20);

    caption(this, "QuestionsCaption", QStringLiteral("問題数"), {420, 96});
    Questions = spin(this, "Questions", {540, 86, 90, 44}, classset::kMinQuestions, classset::kMaxQuestions,
                     classset::kDefaultQuestions);
    caption(this, "QuestionsUnit", QStringLiteral("問"), {640, 96});

    caption(this, "SetCaption", QStringLiteral("セット番号"), {420, 184});
    SetNumber = kit::field(this, "SetNumber", {540, 174, 70, 44}, 24, kit::Echo::Plain, kit::InputMethod::Off);
    SetNumber->setMaxLength(4);
    caption(this, "SetNote", QStringLiteral("同じ番号で同じ問題がもう一度出せます"), {420, 232}, 16);

    caption(this, "PacingCaption", QStringLiteral("つぎの問題へ"), {420, 292});
    ByKey = radio(this, "ByKey", QStringLiteral("先生が Enter / スペースを押したら"), {430, 326, 360, 34});
    ByPause = radio(this, "ByPause", QStringLiteral("自動で"), {430, 366, 110, 34});
    PauseSeconds = spin(this, "PauseSeconds", {540, 362, 80, 40}, 1, 60, 10);
    caption(this, "PauseUnit", QStringLiteral("秒たったら"), {630, 370}, 20);
    auto *group = new QButtonGroup(this);
    group->addButton(ByKey);
    group->addButton(ByPause);
    ByKey->setChecked(true);
    connect(PauseSeconds, &QSpinBox::valueChanged, this, pz::guarded([this](int) { ByPause->setChecked(true); }));

    DisplayCaption = caption(this, "DisplayCaption", QStringLiteral("うつす画面"), {420, 414});
    ThisDisplay = radio(this, "ThisDisplay", QStringLiteral("この画面"), {430, 446, 150, 34});
    OtherDisplay = radio(this, "OtherDisplay", QStringLiteral("もう一つの画面"), {590, 446, 200, 34});
    auto *displays = new QButtonGroup(this);
    displays->addButton(ThisDisplay);
    displays->addButton(OtherDisplay);
    OtherDisplay->setChecked(true); // two displays are a projector beside the teacher's panel
    connect(qGuiApp, &QGuiApplication::screenAdded, this, pz::guarded([this](QScreen *) { offerDisplays(); }));
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, pz::guarded([this](QScreen *) { offerDisplays(); }));
    offerDisplays();

    chooseGrade(grade_);
}

void TClassChoose::FormShow() { newSetNumber(); }

void TClassChoose::offerDisplays()
{
    const bool two = Screen::otherDisplay() != nullptr; // a display going away has left the list already
    for (QWidget *w : {static_cast<QWidget *>(DisplayCaption), static_cast<QWidget *>(ThisDisplay), static_cast<QWidget *>(OtherDisplay)})
        w->setVisible(two);
}

void TClassChoose::chooseGrade(GradeCode code)
{
    grade_ = code;
    if (auto *picture = findChild<QWidget *>(QStringLiteral("GradeImage%1").arg(code)))
        Chosen->move(picture->pos() - QPoint(2, 2));
    Chosen->raise();
    Chosen->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TClassChoose::newSetNumber()
{
    const std::optional<int> shown = classset::parseSetNumber(SetNumber->text());
    SetNumber->setText(classset::setNumberText(
        classset::newSetNumber(shown.value_or(-1), [] { return QRandomGenerator::global()->generate(); })));
}

std::optional<classset::ClassSet> TClassChoose::chosenSet()
{
    const std::optional<int> number = classset::parseSetNumber(SetNumber->text().trimmed());
    if (!number) {
        dialogs::warn(classset::checkSetNumber(-1));
        return std::nullopt;
    }
    SetNumber->setText(classset::setNumberText(*number));
    // Read now: the settings as they are when the set is shown or printed.
    const classset::Made made = classset::make(grade_, *number, Questions->value());
    if (!made.set)
        dialogs::warn(made.refusal);
    return made.set;
}

void TClassChoose::Start()
{
    const std::optional<classset::ClassSet> set = chosenSet();
    if (!set)
        return;
    // Two displays when はじめる is pressed, else this one.
    const bool other = OtherDisplay->isChecked() && Screen::otherDisplay();
    emit showWanted(*set, {.byKey = ByKey->isChecked(), .pauseSeconds = PauseSeconds->value()}, other);
}

void TClassChoose::SavePaper(classpaper::Paper paper)
{
    if (const std::optional<classset::ClassSet> set = chosenSet())
        classpaper::save(this, paper, *set);
}
