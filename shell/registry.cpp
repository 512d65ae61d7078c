// Creates and destroys the screens: the seventeen in the program's order, then the newer ones.
#include "kit/app.h"
#include "base/errors.h"

#include "drill/classanswers.h"
#include "drill/classchoose.h"
#include "drill/classdesk.h"
#include "drill/classmarksform.h"
#include "drill/classshow.h"
#include "drill/dkhyouji.h"
#include "drill/drillsession.h"
#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/option.h"
#include "drill/start.h"
#include "drill/success.h"
#include "records/classoverview.h"
#include "records/kiroku.h"
#include "records/mastergate.h"
#include "settings/settei.h"
#include "shell/main.h"
#include "shell/splash.h"
#include "users/delete.h"
#include "users/delkakunin.h"
#include "users/masterpass.h"
#include "users/mstgtpass.h"
#include "users/passreset.h"
#include "users/rosterimport.h"
#include "users/regist.h"
#include "users/usrselect.h"

Screen *asScreen(TForm1 *s) { return s; }
Screen *asScreen(TForm2 *s) { return s; }
Screen *asScreen(TForm3 *s) { return s; }
Screen *asScreen(TForm4 *s) { return s; }
Screen *asScreen(TForm5 *s) { return s; }
Screen *asScreen(TForm6 *s) { return s; }
Screen *asScreen(TForm7 *s) { return s; }
Screen *asScreen(TForm8 *s) { return s; }
Screen *asScreen(TForm9 *s) { return s; }
Screen *asScreen(TForm10 *s) { return s; }
Screen *asScreen(TForm11 *s) { return s; }
Screen *asScreen(TForm12 *s) { return s; }
Screen *asScreen(TForm13 *s) { return s; }
Screen *asScreen(TForm14 *s) { return s; }
Screen *asScreen(TForm15 *s) { return s; }
Screen *asScreen(TForm16 *s) { return s; }
Screen *asScreen(TForm17 *s) { return s; }
Screen *asScreen(ClassOverview *s) { return s; }
Screen *asScreen(TClassChoose *s) { return s; }
Screen *asScreen(TClassShow *s) { return s; }
Screen *asScreen(TClassAnswers *s) { return s; }
Screen *asScreen(TPassReset *s) { return s; }
Screen *asScreen(TRosterImport *s) { return s; }

namespace {
template <class T>
T *make(QList<Screen *> &created)
{
    T *s = new T;
    created.append(s);
    s->create();
    return s;
}
} // namespace

void App::createScreens()
{
    // A fresh run of the screens, in the classroom already given.
    state_ = SharedState{};
    state_.drill = std::make_shared<DrillSession>();
    Screens &r = screens_;
    r.mainMenu = make<TForm1>(created_);
    r.gradeSelection = make<TForm3>(created_);
    r.flashScreen = make<TForm2>(created_);
    r.resultSheet = make<TForm4>(created_);
    r.answerBox = make<TForm5>(created_);
    r.verdictBanner = make<TForm6>(created_);
    r.registration = make<TForm7>(created_);
    r.ownRecords = make<TForm8>(created_);
    r.login = make<TForm9>(created_);
    r.userDeletion = make<TForm10>(created_);
    r.splash = make<TForm11>(created_);
    r.masterPasswordSetup = make<TForm12>(created_);
    r.studentsRecords = make<TForm13>(created_);
    r.masterPasswordEntry = make<TForm14>(created_);
    r.deletionConfirm = make<TForm15>(created_);
    r.briefing = make<TForm16>(created_);
    r.settingsEditor = make<TForm17>(created_);
    r.classOverview = make<ClassOverview>(created_); // after the seventeen, whose order stays
    r.classChoose = make<TClassChoose>(created_);
    r.classShow = make<TClassShow>(created_);
    r.classAnswers = make<TClassAnswers>(created_);
    r.classDesk = make<TClassDesk>(created_);
    r.passwordReset = make<TPassReset>(created_);
    r.rosterImport = make<TRosterImport>(created_);

    // What the teacher's dialogs tell the teacher's screen, wired here so that neither includes the other.
    TForm13 *teacher = r.studentsRecords;
    QObject::connect(r.deletionConfirm, &TForm15::userDeleted, teacher,
                     pz::guarded([teacher](const QString &name) { teacher->userDeleted(name); }));
    QObject::connect(r.rosterImport, &TRosterImport::usersAdded, teacher, pz::guarded([teacher] { teacher->userDeleted(QString()); }));
    QObject::connect(r.settingsEditor, &TForm17::backToTeacher, teacher, pz::guarded([teacher] { teacher->forgetUsers(); }));

    // The class flash's steps: choose, show, answers, and back to the choice or one question again.
    TClassChoose *choose = r.classChoose;
    TClassShow *show = r.classShow;
    TClassAnswers *answers = r.classAnswers;
    QObject::connect(choose, &TClassChoose::showWanted, show,
                     pz::guarded([show](const classset::ClassSet &set, ClassPacing pacing, bool onOtherDisplay) {
                         show->start(set, pacing, onOtherDisplay);
                     }));
    TClassDesk *desk = r.classDesk;
    QObject::connect(show, &TClassShow::shownElsewhere, desk, pz::guarded([desk, show] { desk->watch(show); }));
    QObject::connect(show, &TClassShow::setShown, answers,
                     pz::guarded([answers](const classset::ClassSet &set, const QList<pace::QuestionPace> &paces) {
                         answers->showSet(set, paces);
                     }));
    QObject::connect(show, &TClassShow::questionReplayed, answers,
                     pz::guarded([answers](int question, const pace::QuestionPace &measured) {
                         answers->replayed(question, measured);
                     }));
    QObject::connect(answers, &TClassAnswers::replayWanted, show,
                     pz::guarded([show](const classset::ClassSet &set, int question) { show->replay(set, question); }));
    QObject::connect(answers, &TClassAnswers::backToChoice, choose, pz::guarded([choose] { choose->newSetNumber(); }));
    // 結果を入れる: a dialog of its own, over the answers (no other screen reaches it).
    TClassMarks *marks = make<TClassMarks>(created_);
    QObject::connect(answers, &TClassAnswers::marksWanted, marks,
                     pz::guarded([marks](const classset::ClassSet &set, const QDateTime &shown) { marks->Open(set, shown); }));
}

void App::destroyScreens()
{
    // The main screen goes last, as when the program ends.
    const QList<Screen *> all = created_;
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        Screen *s = *it;
        if (!created_.contains(s))
            continue; // already gone (the splash)
        s->FormDestroy();
        delete s;
    }
    created_.clear();
    open_.clear();
    modal_.clear();
    active_ = nullptr;
    screens_ = Screens{};
}
