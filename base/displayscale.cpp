#include "base/displayscale.h"

#include <QStringList>

#include <algorithm>

namespace displayscale {

std::optional<Choice> choiceFrom(QStringView value)
{
    if (value.isEmpty() || value == u"switch")
        return Choice::Switch;
    if (value == u"scale")
        return Choice::Scale;
    return std::nullopt;
}

bool scales(QSize display, Choice choice, bool switchable)
{
    return !display.isEmpty() && display != kLayout && !(choice == Choice::Switch && switchable);
}

double factor(QSize display, Choice choice, bool switchable)
{
    if (!scales(display, choice, switchable))
        return 1.0;
    return std::min(double(display.width()) / kLayout.width(), double(display.height()) / kLayout.height());
}

Plan plan(const QList<Monitor> &monitors, Choice choice, bool switchable)
{
    Plan p;
    if (monitors.isEmpty())
        return p;
    const Monitor *primary = &monitors.front();
    for (const Monitor &m : monitors)
        if (m.primary) {
            primary = &m;
            break;
        }
    p.primary = primary->name;
    if (monitors.size() == 1) {
        p.factor = factor(primary->size, choice, switchable);
        p.scales = scales(primary->size, choice, switchable);
        return p;
    }
    p.neverSwitch = true;
    p.factor = factor(primary->size, Choice::Scale, false);
    bool writable = true;
    QStringList entries;
    for (const Monitor &m : monitors) {
        p.scales = p.scales || scales(m.size, Choice::Scale, false);
        // Qt splits the list at every ';' and an entry at its last '=', and trims nothing.
        writable = writable && !m.name.isEmpty() && !m.name.contains(u';');
        entries << QString(m.name + u'=' + QString::number(factor(m.size, Choice::Scale, false), 'g', 8));
    }
    if (writable && p.scales)
        p.screenFactors = entries.join(u';');
    return p;
}

std::optional<double> listedFactor(QStringView list, QStringView name)
{
    for (QStringView entry : list.split(u';')) {
        const qsizetype eq = entry.lastIndexOf(u'=');
        if (eq <= 0 || entry.left(eq) != name)
            continue;
        bool ok = false;
        const double f = entry.mid(eq + 1).toDouble(&ok);
        if (ok && f > 0)
            return f;
    }
    return std::nullopt;
}

QPoint centredOrigin(QSize window)
{
    return QPoint((window.width() - kLayout.width()) / 2, (window.height() - kLayout.height()) / 2);
}

} // namespace displayscale
