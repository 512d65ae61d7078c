// Creates and destroys the seventeen screens, in the program's order.
#include "shell/app.h"

#include "drill/dkhyouji.h"
#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/option.h"
#include "drill/start.h"
#include "drill/success.h"
#include "records/kiroku.h"
#include "records/mastergate.h"
#include "settings/settei.h"
#include "shell/main.h"
#include "shell/splash.h"
#include "users/delete.h"
#include "users/delkakunin.h"
#include "users/masterpass.h"
#include "users/mstgtpass.h"
#include "users/regist.h"
#include "users/usrselect.h"

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
    state_ = SharedState{};
    Screens &r = screens_;
    r.form1 = make<TForm1>(created_);
    r.form3 = make<TForm3>(created_);
    r.form2 = make<TForm2>(created_);
    r.form4 = make<TForm4>(created_);
    r.form5 = make<TForm5>(created_);
    r.form6 = make<TForm6>(created_);
    r.form7 = make<TForm7>(created_);
    r.form8 = make<TForm8>(created_);
    r.form9 = make<TForm9>(created_);
    r.form10 = make<TForm10>(created_);
    r.form11 = make<TForm11>(created_);
    r.form12 = make<TForm12>(created_);
    r.form13 = make<TForm13>(created_);
    r.form14 = make<TForm14>(created_);
    r.form15 = make<TForm15>(created_);
    r.form16 = make<TForm16>(created_);
    r.form17 = make<TForm17>(created_);
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
