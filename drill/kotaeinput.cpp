#include "drill/kotaeinput.h"

#include "shell/widgets.h"

#include <QLabel>
#include <QLineEdit>

TForm5::TForm5()
    : Screen({QStringLiteral("input"), Kind::Panel, QSize(330, 127), {}, kDarkBlue, 12})
{
}

void TForm5::FormCreate()
{
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("１問目"), {40, 10}, 16, Qt::white);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFont(font(64, true, true));
    Edit1->setGeometry(56, 32, 209, 72);
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("答えを入力してENTERを押して下さい"),
                       {56, 112}, 13, Qt::white);
}

void TForm5::FormShow() {}
void TForm5::FormActivate() {}
void TForm5::FormCloseQuery() {}

void TForm5::setQuestionCaption(const QString &text)
{
    Label2->setText(text);
    Label2->adjustSize();
}
