#pragma once
// TForm8, the own records: the logged-in child's drills as a table, oldest first.
#include "kit/screen.h"

class ClickLabel;
class Picture;
class QLabel;
class RecordGrid;

class TForm8 : public Screen {
    Q_OBJECT
public:
    TForm8();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    QLabel *Label1 = nullptr;      // "<name>さんの記録"
    Picture *Image1 = nullptr;     // もどる
    ClickLabel *Label2 = nullptr;  // もどる
    RecordGrid *StringGrid1 = nullptr;

    void Label2Click();
};
