#pragma once
// The one registry through which screens reach each other.
#include <QPointer>

class TForm1; class TForm2; class TForm3; class TForm4; class TForm5; class TForm6;
class TForm7; class TForm8; class TForm9; class TForm10; class TForm11; class TForm12;
class TForm13; class TForm14; class TForm15; class TForm16; class TForm17;

struct Screens {
    TForm1 *form1 = nullptr;   // main menu
    TForm2 *form2 = nullptr;   // flash screen
    TForm3 *form3 = nullptr;   // grade selection
    TForm4 *form4 = nullptr;   // result sheet
    TForm5 *form5 = nullptr;   // answer box
    TForm6 *form6 = nullptr;   // verdict
    TForm7 *form7 = nullptr;   // registration
    TForm8 *form8 = nullptr;   // own records
    TForm9 *form9 = nullptr;   // login
    TForm10 *form10 = nullptr; // delete a user
    QPointer<TForm11> form11;  // splash (destroyed after it closes)
    TForm12 *form12 = nullptr; // create the master password
    TForm13 *form13 = nullptr; // students' records
    TForm14 *form14 = nullptr; // enter the master password
    TForm15 *form15 = nullptr; // confirm a deletion
    TForm16 *form16 = nullptr; // briefing
    TForm17 *form17 = nullptr; // settings editor
};
