#include "drill/option.h"

#include "settings/graderules.h"
#include "base/errors.h"
#include "kit/app.h"
#include "kit/kit.h"
#include "kit/dialogs.h"
#include "kit/widgets.h"

namespace {
struct Grade {
    GradeCode code;
    const char *label, *text;
    QPoint labelAt;
    const char *image;
    QPoint imageAt;
};
// Four columns of five, read top to bottom: 10級..6級, 5級..1級, 初段..五段, 六段..十段.
const Grade kGrades[] = {
    {10, "Label1", "１０級", {91, 38}, "Image2", {88, 16}},
    {9, "Label2", "９級", {105, 142}, "Image3", {88, 120}},
    {8, "Label3", "８級", {105, 256}, "Image4", {88, 232}},
    {7, "Label4", "７級", {104, 368}, "Image5", {88, 344}},
    {6, "Label5", "６級", {105, 480}, "Image6", {88, 456}},
    {5, "Label6", "５級", {262, 38}, "Image7", {248, 16}},
    {4, "Label7", "４級", {263, 142}, "Image8", {248, 120}},
    {3, "Label8", "３級", {263, 256}, "Image9", {248, 232}},
    {2, "Label9", "２級", {263, 368}, "Image10", {248, 344}},
    {1, "Label10", "１級", {262, 479}, "Image11", {248, 456}},
    {11, "Label11", "初段", {449, 38}, "Image12", {440, 16}},
    {12, "Label14", "二段", {455, 142}, "Image13", {440, 120}},
    {13, "Label15", "三段", {450, 255}, "Image14", {440, 232}},
    {14, "Label17", "四段", {451, 366}, "Image15", {440, 344}},
    {15, "Label19", "五段", {449, 480}, "Image16", {440, 456}},
    {16, "Label12", "六段", {611, 38}, "Image17", {600, 16}},
    {17, "Label13", "七段", {609, 142}, "Image18", {600, 120}},
    {18, "Label16", "八段", {609, 256}, "Image19", {600, 232}},
    {19, "Label18", "九段", {609, 368}, "Image20", {600, 344}},
    {20, "Label20", "十段", {608, 480}, "Image21", {600, 456}},
};
} // namespace

TForm3::TForm3() : Screen({.title = QStringLiteral("option"), .kind = Kind::FullScreenMaximised}) {}

void TForm3::FormCreate()
{
    std::vector<kit::ButtonRow> rows;
    for (const Grade &g : kGrades) {
        const QString name = QString::fromUtf8(g.text);
        const GradeCode code = g.code;
        rows.push_back({{g.label}, {g.image}, name, g.labelAt, g.imageAt, {105, 89}, 37, Qt::AllButtons,
                        [this, code, name] { chooseGrade(code, name); }});
    }
    rows.push_back({{"Label21", &Label21}, {"Image1", &Image1}, QStringLiteral("もどる"), {712, 549}, {704, 528},
                    {81, 73}, 24, Qt::AllButtons, [this] { Label21Click(); }});
    kit::buttons(this, rows);
    UserName = makeLabel(this, QStringLiteral("UserName"), QString(), {88, 556}, 27, Qt::white);
}

// From under the first column to just before もどる's picture (x 704).
void TForm3::FormShow() { showUserName(UserName, state().userName, 704 - 8 - 88); }

void TForm3::chooseGrade(GradeCode code, const QString &name)
{
    // One read of the file; values the flash screen cannot present (the settings editor lets them
    // through) would leave a child in front of a blank screen: refuse the grade and say why.
    const graderules::Grade grade = graderules::readGrade(code);
    if (!grade.params) {
        dialogs::warn(QStringLiteral("「%1」の設定では練習できません。\n%2").arg(name, grade.refusal));
        return;
    }
    state().gradeParams = *grade.params;
    state().gradeName = name;
    asScreen(screens().briefing)->Show();
}

void TForm3::Label21Click() { Close(); }
