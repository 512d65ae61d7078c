#include "users/logincards.h"

#include "base/classroom.h"
#include "base/errors.h"
#include "kit/pdfpage.h"
#include "kit/saveflow.h"
#include "kit/style.h"
#include "platform/outputfile.h"

#include <QPainter>

#include <cmath>

namespace logincards {

QList<Card> cardsOf(const roster::Plan &plan)
{
    QList<Card> cards;
    for (const roster::Entry &e : plan.entries)
        if (e.outcome == roster::Outcome::New)
            cards.append({e.line.name, e.password, e.line.group});
    return cards;
}

Grid gridFor(int n)
{
    // Three across and twelve down hold a class of 36; a longer list gets more, smaller cards, four
    // times as many rows as columns (a card about three times as wide as tall).
    int columns = 3;
    while (columns * columns * 4 < n)
        ++columns;
    return {columns, columns * 4};
}

namespace {
void paint(QPainter &p, const QList<Card> &cards, const QRect &page)
{
    const Grid g = gridFor(int(cards.size()));
    const int margin = page.width() / 20;
    const QRect area = page.adjusted(margin, margin, -margin, -margin);
    const int rows = g.rows;
    const double cw = double(area.width()) / g.columns, ch = double(area.height()) / rows;
    const int px = std::max(8, int(std::min(ch / 4.2, cw / 9)));
    QPen cut(Qt::gray, 2, Qt::DashLine);
    for (int i = 0; i < cards.size(); ++i) {
        const Card &c = cards.at(i);
        const QRectF cell(area.left() + (i % g.columns) * cw, area.top() + (i / g.columns) * ch, cw, ch);
        p.setPen(cut);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell);
        const QRectF inside = cell.adjusted(px, px / 2.0, -px, -px / 2.0);
        const double line = inside.height() / 3;
        p.setPen(Qt::black);
        p.setFont(pdfpage::face(int(px * 1.2), false));
        p.drawText(QRectF(inside.left(), inside.top(), inside.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("なまえ %1").arg(c.name));
        p.setFont(pdfpage::face(px, false));
        p.drawText(QRectF(inside.left(), inside.top() + line, inside.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("パスワード %1").arg(c.password));
        p.drawText(QRectF(inside.left(), inside.top() + 2 * line, inside.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                   c.group.isEmpty() ? QString() : QStringLiteral("組 %1").arg(c.group));
    }
}
} // namespace

QString writePdf(const Classroom &classroom, const QList<Card> &cards, const QString &file)
{
    const std::optional<QByteArray> pdf = pdfpage::render(QStringLiteral("ログインカード"),
                                                         [&](QPainter &p, const QRect &page) { paint(p, cards, page); });
    if (!pdf)
        throw pz::IoError(file, QStringLiteral("ログインカードを作れませんでした"));
    return outputfile::save(classroom, file, *pdf, "%PDF-");
}

bool save(QWidget *parent, const QList<Card> &cards)
{
    const QString chosen = saveflow::save(parent, {QStringLiteral("ログインカード"), QStringLiteral("ログインカード.pdf"), QStringLiteral("PDF (*.pdf)")},
                                        [&](const QString &file) -> saveflow::Outcome {
                                            if (const QString refused = writePdf(Classroom::inUse(), cards, file); !refused.isEmpty())
                                                return {refused, {}};
                                            return {{}, QStringLiteral("%1人のログインカードを保存しました。\n%2").arg(cards.size()).arg(file)};
                                        });
    return !chosen.isEmpty();
}

} // namespace logincards
