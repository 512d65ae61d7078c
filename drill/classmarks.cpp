#include "drill/classmarks.h"

#include "base/errors.h"
#include "drill/drillrules.h"
#include "drill/pace.h"
#include "users/userstore.h"

#include <QtGlobal>

namespace classmarks {

bool passes(int right, int count) { return count > 0 && right * kQuestions >= drillrules::kPassMark * count; }

QString historyLine(const classset::ClassSet &set, const QDate &day, int right)
{
    const int count = int(set.questions.size());
    return drillrules::historyLine(set.gradeName, day, right, count - right,
                                   passes(right, count) ? QStringLiteral("合格") : QStringLiteral("不合格"));
}

QString checkRight(int right, int count)
{
    if (right < 0 || right > count)
        return QStringLiteral("正解数は 0 から %1 までです（このセットは %1 問でした）").arg(count);
    return QString();
}

QString enter(const classset::ClassSet &set, const QDateTime &shown, const QString &name, int right)
{
    if (QString refusal = checkRight(right, int(set.questions.size())); !refusal.isEmpty())
        return refusal;
    if (!userstore::appendDrillIfRegistered(name, historyLine(set, shown.date(), right)))
        return QStringLiteral("「%1」さんは、その間に削除されました。結果は入れていません。").arg(name);
    try {
        userstore::appendPace(name, pace::classFlashLine(shown, set.gradeName, set.setNumber));
    } catch (const pz::Error &e) {
        qWarning("%s", qPrintable(e.text()));
    }
    return QString();
}

} // namespace classmarks
