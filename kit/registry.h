#pragma once
// The one registry through which screens reach each other.
#include <QPointer>

class TForm1; class TForm2; class TForm3; class TForm4; class TForm5; class TForm6;
class TForm7; class TForm8; class TForm9; class TForm10; class TForm11; class TForm12;
class TForm13; class TForm14; class TForm15; class TForm16; class TForm17;
class ClassOverview;
class TClassChoose; class TClassShow; class TClassDesk; class TClassAnswers;
class TPassReset; class TRosterImport;

// By role; each screen's class is named in its header (TForm1 is shell/main.h, and so on).
class Screen;

// Each screen as the common base, for a move that needs nothing of the screen's own (Show,
// ShowModal, Close), so that the caller need not include the screen's header.
Screen *asScreen(TForm1 *); Screen *asScreen(TForm2 *); Screen *asScreen(TForm3 *);
Screen *asScreen(TForm4 *); Screen *asScreen(TForm5 *); Screen *asScreen(TForm6 *);
Screen *asScreen(TForm7 *); Screen *asScreen(TForm8 *); Screen *asScreen(TForm9 *);
Screen *asScreen(TForm10 *); Screen *asScreen(TForm11 *); Screen *asScreen(TForm12 *);
Screen *asScreen(TForm13 *); Screen *asScreen(TForm14 *); Screen *asScreen(TForm15 *);
Screen *asScreen(TForm16 *); Screen *asScreen(TForm17 *);
Screen *asScreen(ClassOverview *);
Screen *asScreen(TClassChoose *); Screen *asScreen(TClassShow *); Screen *asScreen(TClassAnswers *);
Screen *asScreen(TPassReset *); Screen *asScreen(TRosterImport *);

struct Screens {
    TForm1 *mainMenu = nullptr;
    TForm2 *flashScreen = nullptr;
    TForm3 *gradeSelection = nullptr;
    TForm4 *resultSheet = nullptr;
    TForm5 *answerBox = nullptr;
    TForm6 *verdictBanner = nullptr;
    TForm7 *registration = nullptr;
    TForm8 *ownRecords = nullptr;
    TForm9 *login = nullptr;
    TForm10 *userDeletion = nullptr;        // a logged-in child deletes themselves
    QPointer<TForm11> splash;               // destroyed after it closes
    TForm12 *masterPasswordSetup = nullptr; // chooses the first master password
    TForm13 *studentsRecords = nullptr;     // the teacher's screen
    TForm14 *masterPasswordEntry = nullptr; // the door to the teacher's screen
    TForm15 *deletionConfirm = nullptr;     // the teacher's yes/no before a deletion
    TForm16 *briefing = nullptr;
    TForm17 *settingsEditor = nullptr;
    ClassOverview *classOverview = nullptr; // the teacher's class at a glance
    TClassChoose *classChoose = nullptr;    // みんなでフラッシュ: the teacher chooses a set
    TClassShow *classShow = nullptr;        // … flashes it to the room
    TClassDesk *classDesk = nullptr;        // … and, when that is on the other display, where it is
    TClassAnswers *classAnswers = nullptr;  // … and shows its answers
    TPassReset *passwordReset = nullptr;    // the teacher gives a child a new password
    TRosterImport *rosterImport = nullptr;  // … or registers the class from a list
};
