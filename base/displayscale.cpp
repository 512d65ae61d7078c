#include "base/displayscale.h"

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

QPoint centredOrigin(QSize window)
{
    return QPoint((window.width() - kLayout.width()) / 2, (window.height() - kLayout.height()) / 2);
}

} // namespace displayscale
