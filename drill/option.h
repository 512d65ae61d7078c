#pragma once
// TForm3, the grade selection: the twenty grades in four columns of five.
#include "settings/rand.h"
#include "kit/screen.h"

class ClickLabel;
class Picture;
class QLabel;

class TForm3 : public Screen {
    Q_OBJECT
public:
    TForm3();
    void FormCreate() override;
    void FormShow() override;

    // Reads the grade's three parameters into the shared state, names it, and shows the briefing.
    void chooseGrade(GradeCode code, const QString &name);

    QLabel *UserName = nullptr;    // whose drills these are: "たろう さん", under the grades
    ClickLabel *Label21 = nullptr; // もどる
    Picture *Image1 = nullptr;
    void Label21Click();
};
